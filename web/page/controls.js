// --- The controls: files, the room field, the options, the run ---
//
// The page holds the user's files and the controls; every rule, line and
// byte comes from the core: its answers are data (the core's JSON), and the
// lines it printed are shown as they are, never read back.

var $ = function (id) { return document.getElementById(id); };
var roms = { source: null, destination: null };  // {name, bytes, text, rooms, pack, note, refused}
var pick = null;                                  // the source room picked, waiting for its pair
var inputLimit = 0;
var downloadUrls = { run: [], pack: [] };
var fieldState = { text: null, answer: null };    // the field's pairs as the core last read them
var command = null;                               // {arguments, command} for the controls as they are
var updates = 0;
var fieldEdits = Promise.resolve();

function pageReady() {
  window.roomxferReadyMs = performance.now();  // from the start of the page's navigation
  $('core-status').textContent = 'Ready.';
  $('source-file').disabled = false;
  $('destination-file').disabled = false;
  updateAll();
}

function startPage() {
  askCore('field', { kind: 'limit' }).then(function (reply) {
    if (reply.failure) {
      $('core-status').className = 'status problem';
      $('core-status').textContent = 'The page cannot work: ' + reply.failure + '.';
      return;
    }
    inputLimit = reply.limit;
    pageReady();
  });
}

// --- Files ---

function oneRom() { return $('same-rom').checked; }

function destinationRom() { return oneRom() ? roms.source : roms.destination; }

var loads = { source: 0, destination: 0 };  // the latest file chosen for each role

function setStatus(id, kind, text) {
  $(id).className = 'status' + (kind ? ' ' + kind : '');
  $(id).textContent = text;
}

function loadFile(role, file) {
  var load = ++loads[role];
  // At most as many bytes as the command line reads: a larger file is
  // refused from those alone.
  file.slice(0, inputLimit).arrayBuffer().then(function (buffer) {
    if (load !== loads[role]) return null;  // another file was chosen meanwhile
    var rom = { name: file.name, bytes: new Uint8Array(buffer), text: '', rooms: [], pack: false,
                note: '', refused: '' };
    setStatus(role + '-status', '', 'Reading ' + file.name + '...');
    // "--inspect=NAME": a name starting with "--" is not read as an option.
    return runInCore('check', ['--inspect=' + rom.name], filesOf([rom])).then(function (reply) {
      if (load !== loads[role]) return;
      if (reply.failure) {
        rom.refused = rom.name + ': ' + reply.failure + '.';
      } else if (reply.status !== 0) {
        rom.refused = withoutLineEnd(reply.text);
      } else {
        var inspection = reply.result.inspection;
        rom.text = reply.text;
        rom.pack = inspection.pack;
        rom.note = inspection.note;
        inspection.rooms.forEach(function (room) { rom.rooms[room.room] = room; });
        rom.rows = inspection.rooms;
      }
      roms[role] = rom;
      pick = null;
      showRom(role);
      markPicked();
      if (role === 'destination' && roms.source && roms.source.pack) showUnderworld('source');
      updateAll();
    });
  }, function (error) {
    if (load !== loads[role]) return;
    roms[role] = null;
    showRom(role);
    setStatus(role + '-status', 'refused', 'The browser could not read ' + file.name + ': ' +
              error.message);
    updateAll();
  });
}

function showRom(role) {
  var rom = roms[role];
  var table = $(role + '-table');
  table.textContent = '';
  if (role === 'source') showNotes(rom);
  showUnderworld(role);
  if (role === 'destination' && oneRom()) {
    setStatus('destination-status', '', 'The source is also the destination.');
    return;
  }
  if (!rom) {
    setStatus(role + '-status', '', '');
    return;
  }
  if (rom.refused) {
    setStatus(role + '-status', 'refused', rom.refused);
    return;
  }
  setStatus(role + '-status', 'fine', rom.name + ' (' + (rom.pack ? 'a room pack, ' : '') +
            rom.bytes.length + ' bytes)');
  fillTable(role, table, rom);
}

function showNotes(rom) {
  var notes = $('source-notes');
  var lines = [];
  if (rom && rom.pack) {
    if (rom.note) lines.push(withoutLineEnd(rom.note));
    rom.rows.forEach(function (room) {
      if (room.note) lines.push('Room 0x' + hex(room.room, 3) + ': ' + withoutLineEnd(room.note));
    });
  }
  notes.hidden = lines.length === 0;
  notes.textContent = lines.length ? 'The pack\'s notes:\n' + lines.join('\n') : '';
}

// The table as --inspect printed it, each room's row a button.
function fillTable(role, table, rom) {
  var roomAtLine = Object.create(null);
  rom.rows.forEach(function (room) { roomAtLine[room.line] = room.room; });
  var lines = rom.text.split('\n');
  if (lines[lines.length - 1] === '') lines.pop();
  var first = true;
  lines.forEach(function (line, index) {
    if (!(index in roomAtLine)) {
      var text = document.createElement('span');
      text.className = 'text';
      text.textContent = line || ' ';
      table.appendChild(text);
      return;
    }
    var button = document.createElement('button');
    button.type = 'button';
    button.className = 'room';
    button.textContent = line;
    button.dataset.room = String(roomAtLine[index]);
    button.tabIndex = first ? 0 : -1;  // one tab stop per table; arrows move inside
    first = false;
    button.addEventListener('click', function () { pickRoom(role, Number(button.dataset.room)); });
    table.appendChild(button);
  });
}

// Up and Down (Home, End, Page Up/Down) move between the rooms of a table.
function tableKeys(event) {
  var rows = Array.prototype.slice.call(event.currentTarget.querySelectorAll('button.room'));
  var at = rows.indexOf(document.activeElement);
  if (at < 0) return;
  var to = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: rows.length - 1,
             PageDown: at + 10, PageUp: at - 10 }[event.key];
  if (to === undefined) return;
  event.preventDefault();
  to = Math.max(0, Math.min(rows.length - 1, to));
  rows[at].tabIndex = -1;
  rows[to].tabIndex = 0;
  rows[to].focus();
}

// A source room, then a destination room: their pair goes into the field.
function pickRoom(role, room) {
  var rom = role === 'destination' ? destinationRom() : roms.source;
  if (!rom || rom.refused) return;
  var fromSource = role === 'source' && (pick === null || !oneRom());
  if (fromSource) {
    pick = room;
    markPicked();
    showPicked('source', room);
    return;
  }
  if (pick === null) return;
  var source = pick;
  pick = null;
  markPicked();
  showPicked(role, room);
  editField(function (field) {
    return askCore('field', { kind: 'withPair', field: field, source: source, destination: room });
  });
}

// The source room waiting for its pair, marked in the table and the picture.
function markPicked() {
  document.querySelectorAll('button.room.picked').forEach(function (b) { b.classList.remove('picked'); });
  $('source-mark').hidden = true;
  if (pick === null) return;
  placeCursor($('source-mark'), pick);
  var picked = $('source-table').querySelector('button.room[data-room="' + pick + '"]');
  if (picked) picked.classList.add('picked');
}

// Edits of the field one after another, each on the field as the last left it.
function editField(edit) {
  fieldEdits = fieldEdits.then(function () {
    return edit($('rooms-field').value).then(function (reply) {
      if (reply.failure) {
        setStatus('rooms-status', 'problem', 'The field could not be changed: ' + reply.failure + '.');
        return;
      }
      $('rooms-field').value = reply.field;
      updateAll();
    });
  });
}

// --- Room pairs and options ---

function field() { return $('rooms-field').value; }

// A text without the line end it closes with.
function withoutLineEnd(text) { return text.endsWith('\n') ? text.slice(0, -1) : text; }

var OPTION_BOXES = ['opt-editable', 'opt-fix-checksum', 'opt-verify', 'opt-dry-run', 'opt-map'];

// The options the controls set, in the order of the controls; a check is a
// dry run.
function checkedOptions(extra) {
  var options = [];
  OPTION_BOXES.forEach(function (id) {
    var on = $(id).checked || (extra === 'check' && id === 'opt-dry-run');
    if (on) options.push($(id).dataset.option);
    if (id === 'opt-editable' && $('opt-base').value !== '') options.push('--base=' + $('opt-base').value);
  });
  return options;
}

// The arguments the controls stand for, from the core: {arguments, command}.
// `slot` names a request that a later one of the same slot replaces.
function commandFor(extra, slot) {
  var destination = destinationRom();
  return askCore('field', { kind: 'runCommand', source: roms.source.name,
                            destination: oneRom() ? '' : destination.name, field: field(),
                            options: checkedOptions(extra) }, { slot: slot });
}

function inputFiles() {
  return filesOf(oneRom() ? [roms.source] : [roms.source, roms.destination]);
}

function sameNameDifferentFiles() {
  if (oneRom() || !roms.source || !roms.destination) return false;
  var a = roms.source, b = roms.destination;
  if (a.name !== b.name) return false;
  if (a.bytes.length !== b.bytes.length) return true;
  for (var i = 0; i < a.bytes.length; ++i) if (a.bytes[i] !== b.bytes[i]) return true;
  return false;
}

function readyToRun() {
  var destination = destinationRom();
  return Boolean(roms.source && destination && !roms.source.refused && !destination.refused &&
                 !sameNameDifferentFiles());
}

function showPairs(update) {
  var text = field();
  return askCore('field', { kind: 'field', field: text }, { slot: 'pairs' }).then(function (answer) {
    if (update !== updates || answer.superseded) return;
    var list = $('pairs');
    list.textContent = '';
    fieldState = { text: text, answer: answer.failure ? null : answer };
    if (answer.failure) {
      setStatus('rooms-status', 'problem', 'The field could not be read: ' + answer.failure + '.');
      return;
    }
    if (answer.form === 'empty') {
      setStatus('rooms-status', 'fine', 'Every room onto itself.');
      return;
    }
    if (!answer.usable) {
      showFieldRefusal(text, answer, update);
      return;
    }
    setStatus('rooms-status', 'fine', '');
    answer.pairs.forEach(function (pair, index) { list.appendChild(pairItem(pair, index)); });
  });
}

// The command line's own line for a list it refuses: it stops at the list
// before it opens any file.
function showFieldRefusal(text, answer, update) {
  var args = answer.form === 'rooms' ? ['--dry-run', '--rooms=' + text, '--', '-']
                                     : ['--dry-run', '--', '-', '-', text];
  runInCore('field', args, Object.create(null), 'refusal').then(function (verdict) {
    if (update !== updates || verdict.superseded) return;
    setStatus('rooms-status', 'problem', verdict.failure ? 'The list could not be checked: ' +
              verdict.failure + '.' : verdict.result.failure);
  });
}

function pairItem(pair, index) {
  var item = document.createElement('li');
  var label = pair[0] + ':' + pair[1];
  item.textContent = label;
  var remove = document.createElement('button');
  remove.type = 'button';
  remove.className = 'plain';
  remove.textContent = 'remove';
  remove.setAttribute('aria-label', 'remove pair ' + label);
  remove.addEventListener('click', function () {
    editField(function (text) {
      return askCore('field', { kind: 'withoutPair', field: text, index: index });
    });
  });
  item.appendChild(remove);
  return item;
}

// The core's verdict on the whole line as it stands: a dry run, the latest
// only.
function checkSettings(update) {
  if (!readyToRun()) {
    setStatus('check-status', '', sameNameDifferentFiles()
        ? 'Two different files named ' + roms.source.name + ': rename one to run them together.'
        : '');
    return;
  }
  commandFor('check', 'check-command').then(function (line) {
    if (update !== updates || line.superseded) return null;
    if (line.failure) {
      setStatus('check-status', 'problem', 'The check stopped: ' + line.failure + '.');
      return null;
    }
    return runInCore('check', line.arguments, inputFiles(), 'dry-run').then(function (check) {
      if (update !== updates || check.superseded) return;
      if (check.failure) {
        setStatus('check-status', 'problem', 'The check stopped: ' + check.failure + '.');
      } else if (check.status === 0) {
        setStatus('check-status', 'fine', 'Checked: the run can go ahead.');
      } else {
        setStatus('check-status', 'problem', 'The run would stop: ' + check.result.failure);
      }
    });
  });
}

function updateAll() {
  if (!window.roomxferReadyMs) return;
  var update = ++updates;
  showPairs(update);
  var ready = readyToRun();
  $('run').disabled = !ready;
  $('save-pack').disabled = !(roms.source && !roms.source.refused);
  if (!ready) {
    command = null;
    $('command').textContent = '';
    checkSettings(update);
    return;
  }
  commandFor('', 'command').then(function (line) {
    if (update !== updates || line.superseded) return;
    command = line.failure ? null : line;
    $('command').textContent = line.failure ? 'The command could not be made: ' + line.failure : line.command;
  });
  clearTimeout(updateAll.timer);
  updateAll.timer = setTimeout(function () { checkSettings(update); }, 150);
}

// --- Run ---

function clearDownloads(kind, box) {
  downloadUrls[kind].forEach(function (url) { URL.revokeObjectURL(url); });
  downloadUrls[kind] = [];
  box.textContent = '';
}

function offer(kind, box, file) {
  var url = URL.createObjectURL(new Blob([file.bytes], { type: 'application/octet-stream' }));
  downloadUrls[kind].push(url);
  var link = document.createElement('a');
  link.href = url;
  link.download = file.name;
  link.className = 'download';
  link.textContent = 'Download ' + file.name + ' (' + file.bytes.length + ' bytes)';
  box.appendChild(link);
  return link;
}

function run() {
  if (!readyToRun()) return;
  clearDownloads('run', $('downloads'));
  setStatus('run-status', '', 'Running...');
  $('run').disabled = true;
  var pairs = movedPairs();
  commandFor().then(function (line) {
    if (line.failure) return line;
    return runInCore('run', line.arguments, inputFiles());
  }).then(function (reply) {
    $('run').disabled = !readyToRun();
    showRun(reply, pairs);
  });
}

// The pairs the run moves: the field's, or every room (a pack's every room)
// onto itself.
function movedPairs() {
  var answer = fieldState.text === field() ? fieldState.answer : null;
  if (answer && answer.form !== 'empty') return answer.usable ? answer.pairs : [];
  var rooms = roms.source && roms.source.pack ? roms.source.rows.map(function (room) { return room.room; })
                                              : Array.from({ length: ROOM_COUNT }, function (_, i) { return i; });
  return rooms.map(function (room) { return [room, room]; });
}

function showRun(reply, pairs) {
  var failure = reply.failure ? reply.failure + '; nothing is offered' : '';
  var result = failure ? { status: -1, text: '', result: null, files: [], ms: 0 } : reply;
  window.roomxferLastRunMs = result.ms;
  $('log').hidden = Boolean(failure);
  $('log').textContent = result.text;
  var done = result.status === 0;
  setStatus('run-status', done ? 'fine' : 'problem', done ? 'Done in ' + result.ms.toFixed(1) + ' ms.'
      : 'The run stopped: ' + (failure ? failure + '.' : withoutLineEnd(result.result.failure)));
  showVerdict(result.result);
  showMap(result.result ? result.result.map : null);
  if (!done) {
    showMoved([], null);
    return;  // after a failure nothing is offered
  }
  var output = result.result.output;
  result.files.sort(function (a, b) { return (a.name === output ? 0 : 1) - (b.name === output ? 0 : 1); });
  var newRom = null;
  result.files.forEach(function (file) {
    offer('run', $('downloads'), file);
    if (file.name === output) newRom = file;
  });
  showMoved(pairs, newRom);
}

function showVerdict(result) {
  var verify = result && result.verify;
  var game = result && result.gameCheck;
  $('verify-summary').hidden = !verify;
  $('verify-summary').textContent = verify ? 'Verify: ' + verify.summary : '';
  $('game-check-summary').hidden = !game;
  // "Game check not made: ..." says what it is already.
  $('game-check-summary').textContent = game ? (game.made ? 'Game check: ' : '') + game.summary : '';
}

// --- Room packs ---

// The pack --export writes for the source and the field, offered for download.
function savePack() {
  if (!roms.source || roms.source.refused) return;
  clearDownloads('pack', $('pack-downloads'));
  setStatus('pack-status', '', 'Making the pack...');
  var source = roms.source;
  askCore('field', { kind: 'exportCommand', source: source.name, field: field() }).then(function (line) {
    if (line.failure) return line;
    return runInCore('run', line.arguments, filesOf([source]));
  }).then(function (reply) {
    if (reply.failure) {
      setStatus('pack-status', 'problem', 'The pack could not be made: ' + reply.failure + '.');
      return;
    }
    if (reply.status !== 0) {
      setStatus('pack-status', 'problem', withoutLineEnd(reply.result.failure));
      return;
    }
    setStatus('pack-status', 'fine', withoutLineEnd(reply.text));
    reply.files.forEach(function (file) { offer('pack', $('pack-downloads'), file).click(); });
  });
}

// --- Wiring ---

['source', 'destination'].forEach(function (role) {
  $(role + '-file').addEventListener('change', function (event) {
    if (event.target.files.length > 0) loadFile(role, event.target.files[0]);
  });
  var drop = $(role + '-drop');
  drop.addEventListener('dragover', function (event) { event.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', function () { drop.classList.remove('over'); });
  drop.addEventListener('drop', function (event) {
    event.preventDefault();
    drop.classList.remove('over');
    if (window.roomxferReadyMs && event.dataTransfer.files.length > 0) {
      loadFile(role, event.dataTransfer.files[0]);
    }
  });
  $(role + '-table').addEventListener('keydown', tableKeys);
  wireGrid(role);
});
// Dropped anywhere else, a file would replace the page.
window.addEventListener('dragover', function (event) { event.preventDefault(); });
window.addEventListener('drop', function (event) { event.preventDefault(); });
$('same-rom').addEventListener('change', function () {
  $('destination-drop').hidden = oneRom();
  pick = null;
  markPicked();
  showRom('destination');
  if (roms.source && roms.source.pack) showUnderworld('source');
  updateAll();
});
$('rooms-field').addEventListener('input', updateAll);
$('every-room').addEventListener('click', function () { $('rooms-field').value = ''; updateAll(); });
OPTION_BOXES.forEach(function (id) {
  $(id).addEventListener('change', updateAll);
});
$('opt-base').addEventListener('input', updateAll);
$('run').addEventListener('click', run);
$('save-pack').addEventListener('click', savePack);
startPage();
