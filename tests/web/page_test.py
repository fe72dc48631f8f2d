#!/usr/bin/python3
"""The browser page against the command line, in headless Chromium.

usage: page_test.py PAGE ROOMXFER CASES_DIR SCREENSHOT_DIR

Every case of CASES_DIR/cases.txt (written by make_web_cases) is run twice:
by the command line in a fresh folder holding the inputs under their bare
names, and by the page, opened from disk, through its controls. The page's
log must be the command line's standard output, its downloads the files the
command line wrote, byte for byte. Then the page's own behaviour: refused
ROMs, the room field, pointing, a failure followed by a good run, the
keyboard, a narrow screen, and that nothing is fetched from anywhere.
"""

import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE, ROOMXFER, CASES, SCREENSHOTS = (os.path.abspath(a) for a in sys.argv[1:5])
PAGE_URL = 'file://' + PAGE
CHECKBOXES = {'--editable': 'opt-editable', '--fix-checksum': 'opt-fix-checksum',
              '--verify': 'opt-verify', '--dry-run': 'opt-dry-run', '--map': 'opt-map'}
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PNG_DECODE = os.path.join(SOURCE_DIR, 'tests', 'png_decode.py')
# Width, height and CRC-32 of a canvas's pixels, red, green and blue of each.
CANVAS_CRC = """
var canvas = document.getElementById(arguments[0]);
var data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
var table = [];
for (var n = 0; n < 256; ++n) {
  var c = n;
  for (var k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  table.push(c >>> 0);
}
var crc = 0xFFFFFFFF;
for (var i = 0; i < data.length; ++i) {
  if ((i & 3) === 3) continue;
  crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >>> 8);
}
return [canvas.width, canvas.height, (crc ^ 0xFFFFFFFF) >>> 0];
"""
failures = []
checks = 0


def check(condition, what):
    global checks
    checks += 1
    if not condition:
        failures.append(what)
        print('FAIL:', what)


def read_cases():
    cases = []
    with open(os.path.join(CASES, 'cases.txt'), encoding='utf-8') as listing:
        for line in listing:
            name, source, destination, form, rooms, options = line.rstrip('\n').split('\t')
            cases.append({'name': name, 'source': source,
                          'destination': None if destination == '-' else destination,
                          'form': form, 'list': '' if rooms == '-' else rooms,
                          'options': [] if options == '-' else options.split(' ')})
    return cases


def command_line(case):
    """The arguments a user types for the case."""
    args = list(case['options'])
    if case['form'] == 'rooms':
        args += ['--rooms', case['list']]
    args.append(case['source'])
    if case['destination']:
        args.append(case['destination'])
    if case['form'] == 'plain':
        args.append(case['list'])
    return args


def inputs(case):
    return [name for name in (case['source'], case['destination']) if name]


def run_native(case, inputs_dir=CASES):
    """Status, standard output and written files of the command line's run."""
    folder = tempfile.mkdtemp(prefix='roomxfer-cli-')
    try:
        for name in inputs(case):
            shutil.copyfile(os.path.join(inputs_dir, name), os.path.join(folder, name))
        started = time.perf_counter()
        run = subprocess.run([ROOMXFER] + command_line(case), cwd=folder, capture_output=True)
        took = (time.perf_counter() - started) * 1000
        written = {}
        for name in os.listdir(folder):
            if name not in inputs(case):
                with open(os.path.join(folder, name), 'rb') as file:
                    written[name] = file.read()
        return run.returncode, run.stdout.decode('utf-8'), written, took
    finally:
        shutil.rmtree(folder)


class Browser:
    def __init__(self):
        self.downloads = tempfile.mkdtemp(prefix='roomxfer-downloads-')
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
                     '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--window-size=1280,800'):
            options.add_argument(flag)
        self.profile = tempfile.mkdtemp(prefix='roomxfer-profile-')
        options.add_argument('--user-data-dir=' + self.profile)
        options.add_experimental_option('prefs', {'download.default_directory': self.downloads,
                                                  'download.prompt_for_download': False})
        options.set_capability('goog:loggingPrefs', {'performance': 'ALL', 'browser': 'ALL'})
        self.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
        self.driver.get('about:blank')
        self.requests = []
        self.drain_requests()
        self.requests = []  # the browser's own start page, before the page is opened

    def quit(self):
        self.drain_requests()
        self.errors = [entry['message'] for entry in self.driver.get_log('browser')
                       if entry['level'] == 'SEVERE']
        self.driver.quit()
        shutil.rmtree(self.downloads, ignore_errors=True)
        shutil.rmtree(self.profile, ignore_errors=True)

    def drain_requests(self):
        for entry in self.driver.get_log('performance'):
            message = json.loads(entry['message'])['message']
            if message['method'] == 'Network.requestWillBeSent':
                self.requests.append(message['params']['request']['url'])

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def element(self, id):
        return self.driver.find_element(By.ID, id)

    def wait(self, condition, what, seconds=20):
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        state = self.js('return Array.from(document.querySelectorAll(".status"))'
                        '.map(e => e.id + ": " + e.textContent).join("; ")')
        console = [entry['message'] for entry in self.driver.get_log('browser')]
        raise TimeoutError('%s; the page: %s; the console: %s' % (what, state, console[-5:]))

    def open(self):
        self.driver.get(PAGE_URL)
        return self.wait(lambda: self.js('return window.roomxferReadyMs'), 'the core ready')

    def load(self, role, path):
        status = self.element(role + '-status')
        self.js('arguments[0].textContent = ""', status)
        self.element(role + '-file').send_keys(path)
        name = os.path.basename(path)
        self.wait(lambda: name in status.text and not status.text.startswith('Reading '),
                  'loading ' + name)

    def set_field(self, text):
        self.js('var f = document.getElementById("rooms-field"); f.value = arguments[0];'
                'f.dispatchEvent(new Event("input"));', text)

    def field_becomes(self, text, what):
        return self.wait(lambda: self.element('rooms-field').get_attribute('value') == text, what,
                         seconds=5)

    def pixels(self, id):
        """Width, height and the CRC-32 of the RGB bytes of the canvas `id`,
        once a picture is drawn there."""
        self.wait(lambda: self.js('return document.getElementById(arguments[0]).dataset.drawn', id),
                  'a picture in ' + id, seconds=60)
        return tuple(self.js(CANVAS_CRC, id))

    def set_checkbox(self, id, on):
        box = self.element(id)
        if box.is_selected() != on:
            box.click()

    def set_up(self, case):
        self.set_checkbox('same-rom', case['destination'] is None)
        self.load('source', os.path.join(CASES, case['source']))
        if case['destination']:
            self.load('destination', os.path.join(CASES, case['destination']))
        self.set_field(case['list'])
        base = [o.split('=', 1)[1] for o in case['options'] if o.startswith('--base=')]
        self.js('var b = document.getElementById("opt-base"); b.value = arguments[0];'
                'b.dispatchEvent(new Event("input"));', base[0] if base else '')
        for option, id in CHECKBOXES.items():
            self.set_checkbox(id, option in case['options'])

    def run(self):
        """Clicks Run: gives the log, whether the page took the run as done,
        and the names of the files it offers."""
        self.js('document.getElementById("run-status").textContent = ""')
        self.wait(lambda: self.element('run').is_enabled(), 'the Run button enabled')
        self.element('run').click()
        self.wait(lambda: self.element('run-status').text not in ('', 'Running...'), 'the run')
        log = self.js('return document.getElementById("log").textContent')
        done = 'fine' in self.element('run-status').get_attribute('class')
        names = self.js('return Array.from(document.querySelectorAll("#downloads a"))'
                        '.map(a => a.download)')
        return log, done, names

    def download_all(self, links='#downloads a'):
        """Clicks every download: the files as saved, by name."""
        folder = tempfile.mkdtemp(dir=self.downloads)
        self.driver.execute_cdp_cmd('Browser.setDownloadBehavior',
                                    {'behavior': 'allow', 'downloadPath': folder})
        links = self.driver.find_elements(By.CSS_SELECTOR, links)
        for link in links:
            link.click()

        def finished():
            names = os.listdir(folder)
            return (len(names) == len(links) and
                    not any(n.endswith('.crdownload') for n in names)) and names
        self.wait(finished, 'the downloads')
        files = {}
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), 'rb') as file:
                files[name] = file.read()
        return files


def same_as_command_line(browser, cases):
    """Each case's lines, status and files, page against command line."""
    relay_times = []
    for case in cases:
        status, stdout, written, native_ms = run_native(case)
        browser.open()
        browser.set_up(case)
        if case['name'] == 'transfer':
            browser.driver.save_screenshot(os.path.join(SCREENSHOTS, 'two-roms-loaded.png'))
        log, done, offered = browser.run()
        label = '%s (roomxfer %s)' % (case['name'], ' '.join(command_line(case)))
        check(log == stdout, label + ': the page shows the lines the command line prints')
        check(done == (status == 0), label + ': the page takes the run as the exit status does')
        if status != 0:
            check(offered == [], label + ': no download after a failure')
            continue
        check(sorted(offered) == sorted(written), label + ': the same files offered as written')
        if '--verify' in case['options']:
            # The summary ends the read-back's report, before the game
            # check's one line (the sample ROMs hold none of the game's
            # code) and the dry run's.
            lines = stdout.splitlines()
            summary = lines[-3 if '--dry-run' in case['options'] else -2]
            check(browser.element('verify-summary').text == 'Verify: ' + summary,
                  label + ': the verify summary shown apart')
        if offered:
            check(browser.download_all() == written, label + ': the same bytes')
        if case['name'] == 'transfer':
            blocks = stdout.split('\nBlock ')[1].split('\n\n')[0].count('\n')
            drawn = browser.js('return new Set(Array.from(document.querySelectorAll(".seg"))'
                               '.map(s => s.textContent)).size')
            check(drawn == blocks, 'the map\'s picture draws every block of the map')
            browser.js('document.getElementById("map").scrollIntoView()')
            browser.driver.save_screenshot(os.path.join(SCREENSHOTS, 'after-run-map.png'))
        if case['name'] == 'relay':
            for _ in range(5):
                log, _, _ = browser.run()
                relay_times.append((browser.js('return window.roomxferLastRunMs'),
                                    run_native(case)[3]))
    return relay_times


def native_picture(args, folder):
    """Width, height and CRC-32 of the PNG the command line's --picture
    writes for `args` in `folder`, and how long the run took (ms)."""
    started = time.perf_counter()
    run = subprocess.run([ROOMXFER, '--picture', 'cli.png'] + args, cwd=folder, capture_output=True)
    took = (time.perf_counter() - started) * 1000
    if run.returncode != 0:
        raise RuntimeError('--picture %s: %s' % (args, run.stdout.decode()))
    decoded = subprocess.run(['/usr/bin/python3', PNG_DECODE, os.path.join(folder, 'cli.png'),
                              os.path.join(folder, 'cli.rgb')], capture_output=True, check=True)
    width, height = (int(n) for n in decoded.stdout.split()[:2])
    with open(os.path.join(folder, 'cli.rgb'), 'rb') as file:
        crc = zlib.crc32(file.read())
    return (width, height, crc), took


def drawn_folder():
    folder = tempfile.mkdtemp(prefix='roomxfer-drawn-')
    for name in ('drawn-source.sfc', 'drawn-destination.sfc', 'big-destination.sfc'):
        shutil.copyfile(os.path.join(CASES, name), os.path.join(folder, name))
    return folder


def pick_in_grid(browser, role, moves):
    """Picks a room in `role`'s picture with the keyboard: from room 0,
    `moves` arrow keys, then Enter."""
    grid = browser.element(role + '-grid')
    browser.js('arguments[0].focus()', grid)
    grid.send_keys(Keys.HOME, *moves)
    grid.send_keys(Keys.ENTER)


def pictures_and_packs(browser):
    """The pictures equal the command line's PNG pixels; packs made and
    taken as the command line makes and takes them. Gives the picture times."""
    folder = drawn_folder()
    source = os.path.join(folder, 'drawn-source.sfc')
    destination = os.path.join(folder, 'drawn-destination.sfc')
    browser.open()
    browser.set_checkbox('opt-map', False)
    browser.load('source', source)
    browser.load('destination', destination)
    check(browser.pixels('source-underworld') == native_picture(['drawn-source.sfc'], folder)[0],
          'the underworld in the page is --picture\'s')
    check(browser.pixels('destination-underworld') ==
          native_picture(['drawn-destination.sfc'], folder)[0],
          'the destination\'s underworld in the page is --picture\'s')
    # Pointing shows the room's number and sizes.
    browser.js('var grid = document.getElementById("source-grid");'
               'var box = grid.getBoundingClientRect();'
               'grid.dispatchEvent(new MouseEvent("mousemove", {bubbles: true,'
               '  clientX: box.left + 3.5 * box.width / 16, clientY: box.top + box.height / 40}));')
    check(browser.element('source-point').text.startswith('Room 0x003 (3): layer '),
          'pointing at a room in the picture names it and its sizes (%s)' %
          browser.element('source-point').text)

    # A room picked in the picture by keyboard, at full size; the times of a
    # few, against the command line's.
    times = []
    for room in (3, 5, 21):
        moves = [Keys.ARROW_RIGHT] * (room % 16) + [Keys.ARROW_DOWN] * (room // 16)
        browser.js('delete document.getElementById("picked-room").dataset.drawn')
        pick_in_grid(browser, 'source', moves)
        expected, native_ms = native_picture(['--rooms=%d' % room, 'drawn-source.sfc'], folder)
        check(browser.pixels('picked-room') == expected,
              'room %d picked in the picture is drawn as --picture draws it' % room)
        times.append((browser.js('return pictureTimes.picked.ms'), native_ms))
    pick_in_grid(browser, 'destination', [Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_RIGHT])
    check(browser.field_becomes('21:33', 'the pair picked in the pictures'),
          'a room picked in each picture makes a pair')

    # After a run: the moved room as the source draws it and as the new ROM does.
    browser.set_field('21:33,5:40')
    case = {'source': 'drawn-source.sfc', 'destination': 'drawn-destination.sfc', 'form': 'rooms',
            'list': '21:33,5:40', 'options': []}
    _, stdout, written, _ = run_native(dict(case, name='pictures'), folder)
    log, done, _ = browser.run()
    check(done and log == stdout, 'a run between drawing ROMs gives the command line\'s lines')
    with open(os.path.join(folder, '_drawn-destination.sfc'), 'wb') as file:
        file.write(written['_drawn-destination.sfc'])
    check(browser.pixels('moved-before') ==
          native_picture(['--rooms=21', 'drawn-source.sfc'], folder)[0] and
          browser.pixels('moved-after') ==
          native_picture(['--rooms=33', '_drawn-destination.sfc'], folder)[0],
          'a moved room is drawn as the source draws it beside the new ROM\'s drawing')
    browser.js('delete document.getElementById("moved-after").dataset.drawn')
    browser.driver.find_elements(By.CSS_SELECTOR, '#moved-pairs button')[1].click()
    check(browser.pixels('moved-after') ==
          native_picture(['--rooms=40', '_drawn-destination.sfc'], folder)[0],
          'each moved pair can be shown')
    browser.driver.save_screenshot(os.path.join(SCREENSHOTS, 'pictures.png'))

    # The chosen rooms saved as a room pack: --export's bytes.
    export = subprocess.run([ROOMXFER, '--export=drawn-source.pack', '--rooms=21:33,5:40', '--',
                             'drawn-source.sfc'], cwd=folder, capture_output=True)
    with open(os.path.join(folder, 'drawn-source.pack'), 'rb') as file:
        pack = file.read()
    browser.element('save-pack').click()
    browser.wait(lambda: browser.element('pack-status').text.startswith('Wrote'), 'the pack')
    check(browser.element('pack-status').text == export.stdout.decode().rstrip('\n'),
          'saving the pack says what --export says')
    check(browser.download_all('#pack-downloads a') == {'drawn-source.pack': pack},
          'the pack saved in the page is --export\'s, byte for byte')

    # The pack as the source: its notes, its pictures by the destination's
    # code, the command line's lines and bytes.
    browser.open()
    browser.set_checkbox('opt-map', False)
    browser.load('source', os.path.join(folder, 'drawn-source.pack'))
    check('a room pack' in browser.element('source-status').text,
          'a pack is loaded as a pack (%s)' % browser.element('source-status').text)
    browser.load('destination', destination)
    check(browser.pixels('source-underworld') ==
          native_picture(['drawn-source.pack', 'drawn-destination.sfc'], folder)[0],
          'a pack is drawn by the destination\'s code, as --picture PACK DESTINATION draws it')
    case = dict(case, name='pack', source='drawn-source.pack', form='none', list='')
    _, stdout, written, _ = run_native(case, folder)
    log, done, _ = browser.run()
    check(done and log == stdout and browser.download_all() == written,
          'a pack as the source gives the command line\'s lines and bytes')

    # A pack's notes are shown with it.
    lines = pack.decode().split('\n')
    lines.insert(1, 'note rooms of the page test')
    lines.insert(lines.index('room 33  # $21') + 1, 'note the room moved first')
    noted = os.path.join(folder, 'noted.pack')
    with open(noted, 'w', encoding='utf-8') as file:
        file.write('\n'.join(lines))
    browser.load('source', noted)
    check(browser.element('source-notes').text ==
          'The pack\'s notes:\nrooms of the page test\nRoom 0x021: the room moved first',
          'a pack\'s notes are shown (%s)' % browser.element('source-notes').text)
    shutil.rmtree(folder)
    return times


def mends(browser, cases):
    """The shown command, names that look like options, the field's edits."""
    transfer = {case['name']: case for case in cases}['transfer']
    browser.open()
    folder = tempfile.mkdtemp(prefix='roomxfer-dashes-')
    odd = os.path.join(folder, "--odd name's.sfc")
    shutil.copyfile(os.path.join(CASES, transfer['source']), odd)
    browser.load('source', odd)
    check(browser.element('source-status').text.startswith("--odd name's.sfc (") and
          browser.driver.find_elements(By.CSS_SELECTOR, '#source-table button.room'),
          'a file whose name starts with -- loads')
    browser.load('destination', os.path.join(CASES, transfer['destination']))
    browser.set_field('$12:$40,0x60..0x62:0x100')
    browser.wait(lambda: '$12' in browser.element('command').text, 'the command')
    typed = shlex.split(browser.element('command').text)
    shutil.copyfile(os.path.join(CASES, transfer['destination']),
                    os.path.join(folder, transfer['destination']))
    native = subprocess.run([ROOMXFER] + typed[1:], cwd=folder, capture_output=True)
    log, done, _ = browser.run()
    check(typed[0] == 'roomxfer' and done and native.returncode == 0 and
          log == native.stdout.decode(),
          'the command shown, typed into a shell, is the run the page makes (%s)' %
          browser.element('command').text)
    browser.wait(lambda: len(browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')) == 4,
                 'the pairs listed')
    browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')[2].click()
    check(browser.field_becomes('$12:$40,0x60:0x100,0x62:0x102', 'the pair removed'),
          'removing a pair keeps the ranges and number forms typed')
    shutil.rmtree(folder)


def off_main_thread(browser):
    """While a run of a 4 MiB destination works, a keystroke in the room
    field shows at once: its pairs are listed while the run still goes."""
    folder = drawn_folder()
    browser.open()
    browser.load('source', os.path.join(folder, 'drawn-source.sfc'))
    browser.load('destination', os.path.join(folder, 'big-destination.sfc'))
    for option in ('opt-verify', 'opt-map'):
        browser.set_checkbox(option, True)
    browser.set_field('')  # every room: a run that takes a while
    browser.wait(lambda: browser.element('run').is_enabled(), 'the Run button enabled')
    # The run is made to take a second longer in its worker (the lane "run"),
    # so that the keystroke surely comes while it works.
    browser.js("""
        var core = document.getElementById('core-source');
        window.coreText = core.textContent;
        core.textContent = "self.addEventListener('message', function () {" +
            "  if (Module.ccall.slowed) return;" +
            "  var ccall = Module.ccall;" +
            "  Module.ccall = function (name) {" +
            "    var slow = name === 'PageRun' && self.name === 'run';" +
            "    var until = performance.now() + (slow ? 1000 : 0);" +
            "    while (performance.now() < until) {}" +
            "    return ccall.apply(null, arguments);" +
            "  };" +
            "  Module.ccall.slowed = true;" +
            "});\\n" + window.coreText;
        restartCore();""")
    browser.load('destination', os.path.join(folder, 'drawn-destination.sfc'))
    browser.load('destination', os.path.join(folder, 'big-destination.sfc'))
    browser.js("""
        window.keyTimes = {};
        var field = document.getElementById('rooms-field');
        field.addEventListener('keydown', function (event) { keyTimes.key = performance.now(); });
        new MutationObserver(function () {
          if (keyTimes.key && !keyTimes.shown && document.querySelectorAll('#pairs li').length === 1) {
            keyTimes.shown = performance.now();
            keyTimes.running = document.getElementById('run-status').textContent === 'Running...';
          }
        }).observe(document.getElementById('pairs'), {childList: true});""")
    browser.element('run').click()
    browser.element('rooms-field').send_keys('1:2')
    browser.wait(lambda: browser.element('run-status').text not in ('', 'Running...'), 'the run',
                 seconds=120)
    mend_core(browser)
    times = browser.js('return window.keyTimes')
    shown = times.get('shown', float('inf')) - times.get('key', 0)
    check(times.get('running') and shown <= 100,
          'a keystroke during a run shows within 100 ms (%.0f ms, the run %.0f ms)' %
          (shown, browser.js('return window.roomxferLastRunMs')))
    shutil.rmtree(folder)
    return shown


def no_regular_expressions():
    """The page draws from the core's data: no regular expression is left
    in its scripts to read printed lines with."""
    folder = os.path.join(SOURCE_DIR, 'web', 'page')
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.js'):
            continue
        with open(os.path.join(folder, name), encoding='utf-8') as file:
            text = file.read()
        found = [token for token in ('RegExp', '.exec(', '.test(', '.match(', '.search(',
                                     'replace(/', 'split(/', 'matchAll(') if token in text]
        check(not found, 'no regular expression in web/page/%s (%s)' % (name, found))


def break_core(browser, entry):
    """Makes the core's `entry` throw, as a WebAssembly trap would, in every
    worker the page starts from now on, and starts them afresh."""
    browser.js('var core = document.getElementById("core-source");'
               'window.coreText = window.coreText || core.textContent;'
               'core.textContent = "self.addEventListener(\'message\', function () { Module." +'
               '  arguments[0] + " = function () { throw new WebAssembly.RuntimeError(\'unreachable\'); };'
               '  });\\n" + window.coreText;'
               'restartCore();', entry)


def mend_core(browser):
    browser.js('document.getElementById("core-source").textContent = window.coreText;'
               'delete window.coreText; restartCore();')


def page_behaviour(browser, cases):
    by_name = {case['name']: case for case in cases}
    transfer = by_name['transfer']
    browser.open()

    # ROMs the tool refuses (too short; larger than 16 MiB, of which the page
    # reads no more than the command line does): their own line, and nothing
    # can be run with them.
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, 'short.sfc'), 'wb') as file:
        file.write(b'\x78\x9c\x00\x42\x9c' + bytes(100))
    with open(os.path.join(folder, 'huge.sfc'), 'wb') as file:
        file.truncate(16 * 1024 * 1024 + 2)
    browser.load('destination', os.path.join(CASES, transfer['destination']))
    for name in ('short.sfc', 'huge.sfc'):
        browser.load('source', os.path.join(folder, name))
        inspect = subprocess.run([ROOMXFER, '--inspect', name], capture_output=True,
                                 cwd=folder).stdout.decode()
        check(browser.element('source-status').text == inspect.rstrip('\n'),
              'a refused ROM (%s) shows the line --inspect gives for it' % name)
        check(not browser.element('run').is_enabled(), 'a refused ROM cannot be run')
    shutil.rmtree(folder)

    # A failed run, then a good one, in the same page load.
    browser.load('source', os.path.join(CASES, transfer['source']))
    browser.set_checkbox('opt-map', False)
    browser.set_field(transfer['list'])
    browser.set_checkbox('opt-editable', True)  # the sample destination is not in that layout
    # The check's verdict comes a moment after a change, here over several
    # lines: the Run button must stay where a pointer on its way to it aims.
    where = ('var r = document.getElementById("run").getBoundingClientRect();'
             'return [r.left + scrollX, r.top + scrollY];')
    before = browser.js('document.getElementById("check-status").textContent = "";' + where)
    browser.js('document.getElementById("opt-base").dispatchEvent(new Event("input"))')
    verdict = browser.wait(lambda: browser.element('check-status').text, 'the check\'s verdict')
    check(verdict.startswith('The run would stop: ') and browser.js(where) == before,
          'the check\'s verdict does not move the Run button')
    failed = dict(transfer, options=['--editable'])
    status, stdout, _, _ = run_native(failed)
    log, done, offered = browser.run()
    check(status == 1 and not done and log == stdout and offered == [],
          'a failed run shows its line and offers nothing')
    # The core throwing instead of returning (as when the WebAssembly stops),
    # in a run and in the field's answers: a line says so, nothing is offered,
    # and the page runs on with a fresh core.
    break_core(browser, '_PageRun')
    _, done, offered = browser.run()
    check(not done and offered == [] and browser.element('run-status').text ==
          'The run stopped: the core failed in the page (RuntimeError: unreachable); '
          'nothing is offered.', 'a core that throws gives a line, not nothing')
    break_core(browser, '_PageField')
    browser.set_field('3:4')
    check(browser.wait(lambda: browser.element('rooms-status').text, 'the field\'s line') ==
          'The field could not be read: the core failed in the page (RuntimeError: unreachable).',
          'a field the core throws on gives a line')
    mend_core(browser)
    browser.set_field(transfer['list'])
    browser.wait(lambda: browser.js('return document.querySelectorAll("#pairs li").length') == 3,
                 'the pairs after the core is mended')
    browser.set_checkbox('opt-editable', False)
    good = dict(transfer, options=[])
    _, stdout, written, _ = run_native(good)
    log, done, offered = browser.run()
    check(done and log == stdout and browser.download_all() == written,
          'after a failure a good run gives the good run\'s lines and bytes')

    # A bad room list shows the parser's message as it is typed.
    field = browser.element('rooms-field')
    field.clear()
    field.send_keys('1-2-3')
    message = browser.wait(lambda: browser.element('rooms-status').text, 'the list message')
    bad = subprocess.run([ROOMXFER, 'a', 'b', '1-2-3'], capture_output=True).stdout.decode()
    check(message == bad.rstrip('\n'), 'a bad ROOMS list shows the command line\'s line')
    field.send_keys(Keys.BACKSPACE, Keys.BACKSPACE)
    browser.wait(lambda: not browser.element('rooms-status').text, 'the message gone')
    field.clear()
    field.send_keys('0x10..0x1F:320')
    check(browser.wait(lambda: browser.element('rooms-status').text, 'the message') ==
          bad.rstrip('\n'), 'a bad --rooms list shows the command line\'s line')

    # Pointing: a plain field is rewritten in the --rooms form, then the picked
    # pairs are appended; by mouse and by keyboard (Enter on a row).
    browser.set_field('5-6')
    browser.driver.find_element(By.CSS_SELECTOR, '#source-table [data-room="1"]').click()
    browser.driver.find_element(By.CSS_SELECTOR, '#destination-table [data-room="40"]').click()
    row = browser.driver.find_element(By.CSS_SELECTOR, '#source-table button.room[tabindex="0"]')
    row.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ENTER)
    row = browser.driver.find_element(By.CSS_SELECTOR, '#destination-table button.room[tabindex="0"]')
    row.send_keys(Keys.END, Keys.ENTER)
    check(browser.field_becomes('5:6,1:40,2:319', 'the picked pairs'), 'picked pairs are appended')
    browser.wait(lambda: len(browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')) == 3,
                 'each pair listed')
    remove = browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')
    remove[0].send_keys(Keys.SPACE)
    check(browser.field_becomes('1:40,2:319', 'the pair removed'), 'a removed pair leaves the field')
    browser.wait(lambda: len(browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')) == 2,
                 'the pairs left listed')
    _, stdout, written, _ = run_native(dict(transfer, list='1-40-2-319', options=[]))
    log, done, _ = browser.run()
    check(done and log == stdout and browser.download_all() == written,
          'pairs made by pointing give the output of the typed list')
    browser.element('every-room').click()
    _, stdout, written, _ = run_native(dict(transfer, form='none', options=[]))
    log, done, _ = browser.run()
    check(done and log == stdout and browser.download_all() == written,
          '"Every room onto itself" gives the run without a list')

    # The keyboard reaches every control; nothing scrolls sideways.
    browser.set_checkbox('opt-map', True)
    browser.run()
    # Every visible control, whatever its tabindex, but for the rows of a room
    # table: a table is one Tab stop, its rows are reached with the arrow keys.
    controls = browser.js(
        'return Array.from(document.querySelectorAll("input, button, a, [tabindex]"))'
        '.filter(e => !e.disabled && e.getClientRects().length > 0 &&'
        '             !(e.matches("button.room") && e.tabIndex < 0))'
        '.map((e, i) => (e.dataset.control = i, i))')
    reached = set()
    browser.js('document.activeElement.blur(); window.scrollTo(0, 0)')
    for _ in range(len(controls) + 5):
        ActionChains(browser.driver).send_keys(Keys.TAB).perform()
        reached.add(browser.js('return document.activeElement.dataset.control'))
    missed = [c for c in controls if str(c) not in reached]
    check(not missed, 'Tab reaches every control (%d controls)' % len(controls))
    for width, height in ((1280, 800), (375, 800)):
        browser.driver.set_window_size(width, height)
        sideways = browser.js('return document.documentElement.scrollWidth - '
                              'document.documentElement.clientWidth')
        check(sideways <= 0, 'at %d px wide the page does not scroll sideways' % width)
        browser.driver.save_screenshot(os.path.join(SCREENSHOTS, 'width-%d.png' % width))
    browser.driver.set_window_size(1280, 800)


def main():
    os.makedirs(SCREENSHOTS, exist_ok=True)
    cases = read_cases()
    browser = Browser()
    try:
        ready_ms = browser.open()
        relay_times = same_as_command_line(browser, cases)
        page_behaviour(browser, cases)
        picture_times = pictures_and_packs(browser)
        mends(browser, cases)
        keystroke_ms = off_main_thread(browser)
        no_regular_expressions()
    finally:
        browser.quit()
    page_url = PAGE_URL
    foreign = [url for url in browser.requests
               if url != page_url and not url.startswith(('data:', 'blob:'))]
    check(not foreign, 'no request beyond the page\'s own file: %s' % foreign[:5])
    check(not browser.errors, 'no error on the console: %s' % browser.errors[:3])

    print('page size: %d bytes' % os.path.getsize(PAGE))
    print('opening to the core\'s ready callback: %.0f ms' % ready_ms)
    for page_ms, native_ms in relay_times:
        print('one-ROM re-lay: page %.1f ms, command line %.1f ms (process start and files '
              'included)' % (page_ms, native_ms))
    page_ms = min(page for page, _ in picture_times)
    native_ms = min(native for _, native in picture_times)
    print('one room picture: page %.1f ms, command line %.1f ms (process start and PNG included)' %
          (page_ms, native_ms))
    check(page_ms <= 3 * native_ms, 'a room picture in the page takes at most 3 x the native time')
    print('a keystroke during a 4 MiB run shown after %.0f ms' % keystroke_ms)
    print('%d cases compared with the command line, %d checks, %d failed' %
          (len(cases), checks, len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
