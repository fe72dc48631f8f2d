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
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE, ROOMXFER, CASES, SCREENSHOTS = (os.path.abspath(a) for a in sys.argv[1:5])
PAGE_URL = 'file://' + PAGE
CHECKBOXES = {'--editable': 'opt-editable', '--fix-checksum': 'opt-fix-checksum',
              '--verify': 'opt-verify', '--dry-run': 'opt-dry-run', '--map': 'opt-map'}
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


def run_native(case):
    """Status, standard output and written files of the command line's run."""
    folder = tempfile.mkdtemp(prefix='roomxfer-cli-')
    try:
        for name in inputs(case):
            shutil.copyfile(os.path.join(CASES, name), os.path.join(folder, name))
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
        self.wait(lambda: name in status.text, 'loading ' + name)

    def set_field(self, text):
        self.js('var f = document.getElementById("rooms-field"); f.value = arguments[0];'
                'f.dispatchEvent(new Event("input"));', text)

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
        self.wait(lambda: self.element('run-status').text, 'the run')
        log = self.js('return document.getElementById("log").textContent')
        done = 'fine' in self.element('run-status').get_attribute('class')
        names = self.js('return Array.from(document.querySelectorAll("#downloads a"))'
                        '.map(a => a.download)')
        return log, done, names

    def download_all(self):
        """Clicks every download: the files as saved, by name."""
        folder = tempfile.mkdtemp(dir=self.downloads)
        self.driver.execute_cdp_cmd('Browser.setDownloadBehavior',
                                    {'behavior': 'allow', 'downloadPath': folder})
        links = self.driver.find_elements(By.CSS_SELECTOR, '#downloads a')
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
    # The core throwing instead of returning (as when the WebAssembly stops):
    # a line says so, nothing is offered, and the page runs on.
    browser.js('window.pageRunEntry = Module._PageRun;'
               'Module._PageRun = function () { throw new WebAssembly.RuntimeError("unreachable"); };')
    _, done, offered = browser.run()
    check(not done and offered == [] and browser.element('run-status').text ==
          'The run stopped: the core failed in the page (RuntimeError: unreachable); '
          'nothing is offered.', 'a core that throws gives a line, not nothing')
    browser.js('Module._PageRun = window.pageRunEntry')
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
    check(field.get_attribute('value') == '5:6,1:40,2:319', 'picked pairs are appended')
    remove = browser.driver.find_elements(By.CSS_SELECTOR, '#pairs button')
    check(len(remove) == 3, 'each pair is listed, removable')
    remove[0].send_keys(Keys.SPACE)
    check(field.get_attribute('value') == '1:40,2:319', 'a removed pair leaves the field')
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
    print('%d cases compared with the command line, %d checks, %d failed' %
          (len(cases), checks, len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
