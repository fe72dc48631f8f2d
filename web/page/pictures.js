// --- The pictures: rooms as the ROM's own code draws them ---
//
// Every picture is the command line's --picture, drawn by the core in the
// picture lane: the whole underworld of each ROM in the game's grid (16 rooms
// a row, each room a 128 x 128 cell), a picked room at full size, and after a
// run each moved room as the source draws it beside the new ROM's drawing.
// A room pack holds no code: it is drawn by the destination's, as
// --picture PACK DESTINATION does.

var GRID_COLUMNS = 16;
var GRID_ROWS = 20;
var ROOM_COUNT = 320;
var pictureTimes = Object.create(null);  // slot to {ms, coreMs}: how long the last picture took
var pointed = { source: 0, destination: 0 };
var moved = { pairs: [], current: 0, before: null, after: null };

function putPixels(canvas, reply) {
  canvas.width = reply.width;
  canvas.height = reply.height;
  var image = new ImageData(new Uint8ClampedArray(reply.pixels), reply.width, reply.height);
  canvas.getContext('2d').putImageData(image, 0, 0);
}

// Draws what --picture gives for `args` and `files` into `canvas`; `say`
// takes the line shown instead when there is no picture, and `frame` (the
// canvas, or what holds it) is hidden then.
function drawPicture(canvas, frame, args, files, slot, say) {
  var asked = performance.now();
  var token = canvas.dataset.token = String(Number(canvas.dataset.token || 0) + 1);
  return pictureInCore(args, files, slot).then(function (reply) {
    if (reply.superseded || canvas.dataset.token !== token) return false;
    frame.hidden = reply.failure !== undefined || reply.status !== 0;
    if (reply.failure) {
      say('The picture stopped: ' + reply.failure + '.');
      return false;
    }
    if (reply.status !== 0) {
      say(reply.line);
      return false;
    }
    putPixels(canvas, reply);
    pictureTimes[slot] = { ms: performance.now() - asked, coreMs: reply.ms };
    canvas.dataset.drawn = token;
    say('');
    return true;
  });
}

function pictureArgs(rooms, names) {
  var args = ['--picture=view.png'];
  if (rooms !== null) args.push('--rooms=' + rooms);
  return args.concat(['--'], names);
}

// The files and names a picture of `role`'s rooms is drawn from: the ROM
// itself, or a pack with the destination; null while a pack waits for one.
function drawingInputs(role) {
  var rom = role === 'destination' ? destinationRom() : roms.source;
  if (!rom || rom.refused) return null;
  if (!rom.pack) return { names: [rom.name], files: filesOf([rom]) };
  var destination = destinationRom();
  if (!destination || destination.refused || destination.pack) return null;
  return { names: [rom.name, destination.name], files: filesOf([rom, destination]) };
}

function filesOf(list) {
  var files = Object.create(null);
  list.forEach(function (rom) { files[rom.name] = rom.bytes; });
  return files;
}

function showUnderworld(role) {
  var box = $(role + '-underworld-box');
  var canvas = $(role + '-underworld');
  var rom = roms[role];
  var shown = rom && !rom.refused && !(role === 'destination' && oneRom());
  box.hidden = !shown;
  $(role + '-cursor').hidden = true;
  canvas.dataset.token = String(Number(canvas.dataset.token || 0) + 1);
  delete canvas.dataset.drawn;
  canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
  if (!shown) return;
  var inputs = drawingInputs(role);
  var say = function (line) { $(role + '-point').textContent = line; };
  $(role + '-grid').hidden = !inputs;
  if (!inputs) {
    say('A room pack holds no code of the game: its rooms are drawn by the destination ROM\'s ' +
        'code once a destination is loaded.');
    return;
  }
  say('Drawing the rooms...');
  drawPicture(canvas, $(role + '-grid'), pictureArgs(null, inputs.names), inputs.files,
              role + '-underworld', say);
}

function describeRoom(rom, room) {
  var label = 'Room 0x' + hex(room, 3) + ' (' + room + ')';
  var data = rom.rooms[room];
  if (!data) return label + ': not in the pack';
  return label + ': layer ' + data.layerBytes + ' bytes, sprites ' + data.spriteBytes +
         ' bytes, items ' + data.itemBytes + ' bytes; ' + data.chests + ' chests, ' +
         data.pushableBlocks + ' pushable blocks, ' + data.torchWords + ' torch words' +
         (data.pit ? ', a pit' : '') + (data.note ? '; note: ' + data.note.split('\n')[0] : '');
}

function placeCursor(cursor, room) {
  cursor.hidden = false;
  cursor.style.left = (100 * (room % GRID_COLUMNS) / GRID_COLUMNS) + '%';
  cursor.style.top = (100 * Math.floor(room / GRID_COLUMNS) / GRID_ROWS) + '%';
  cursor.style.width = (100 / GRID_COLUMNS) + '%';
  cursor.style.height = (100 / GRID_ROWS) + '%';
}

function pointAt(role, room) {
  var rom = roms[role];
  if (!rom || rom.refused) return;
  pointed[role] = room;
  placeCursor($(role + '-cursor'), room);
  $(role + '-point').textContent = describeRoom(rom, room);
}

function roomUnder(role, event) {
  var box = $(role + '-underworld').getBoundingClientRect();
  var column = Math.floor(GRID_COLUMNS * (event.clientX - box.left) / box.width);
  var row = Math.floor(GRID_ROWS * (event.clientY - box.top) / box.height);
  if (column < 0 || column >= GRID_COLUMNS || row < 0 || row >= GRID_ROWS) return null;
  return row * GRID_COLUMNS + column;
}

// Arrows move a row or a room, Home and End to the first and last room,
// Enter or Space picks the room.
function gridKeys(role, event) {
  var room = pointed[role];
  var to = { ArrowRight: room + 1, ArrowLeft: room - 1, ArrowDown: room + GRID_COLUMNS,
             ArrowUp: room - GRID_COLUMNS, Home: 0, End: ROOM_COUNT - 1 }[event.key];
  if (event.key === 'Enter' || event.key === ' ') {
    event.preventDefault();
    pickRoom(role, room);
    return;
  }
  if (to === undefined) return;
  event.preventDefault();
  pointAt(role, Math.max(0, Math.min(ROOM_COUNT - 1, to)));
}

function wireGrid(role) {
  var grid = $(role + '-grid');
  grid.addEventListener('mousemove', function (event) {
    var room = roomUnder(role, event);
    if (room !== null) pointAt(role, room);
  });
  grid.addEventListener('click', function (event) {
    var room = roomUnder(role, event);
    if (room !== null) pickRoom(role, room);
  });
  grid.addEventListener('focus', function () { pointAt(role, pointed[role]); });
  grid.addEventListener('keydown', function (event) { gridKeys(role, event); });
}

// The room just picked, at full size, as its ROM's code (a pack: the
// destination's) draws it.
function showPicked(role, room) {
  var rom = role === 'destination' ? destinationRom() : roms.source;
  var inputs = drawingInputs(role);
  $('picked').hidden = false;
  var caption = 'Room 0x' + hex(room, 3) + ' (' + room + ') of ' + rom.name;
  $('picked-caption').textContent = caption + (rom.pack ? ', drawn by the destination\'s code' : '');
  var say = function (line) { $('picked-status').textContent = line; };
  if (!inputs) {
    $('picked-room').hidden = true;
    say('A room pack is drawn by the destination ROM\'s code: load a destination.');
    return;
  }
  say('Drawing room 0x' + hex(room, 3) + '...');
  drawPicture($('picked-room'), $('picked-room'), pictureArgs(String(room), inputs.names),
              inputs.files, 'picked', say);
}

// After a run that wrote a new ROM: each moved pair, the source's drawing
// (a pack's by the destination's code) beside the new ROM's.
function showMoved(pairs, output) {
  moved = { pairs: pairs, current: 0, output: output };
  var list = $('moved-pairs');
  list.textContent = '';
  $('moved').hidden = pairs.length === 0 || !output;
  if ($('moved').hidden) return;
  pairs.forEach(function (pair, index) {
    var item = document.createElement('li');
    var button = document.createElement('button');
    button.type = 'button';
    button.className = 'plain';
    button.textContent = '0x' + hex(pair[0], 3) + ' \u2192 0x' + hex(pair[1], 3);
    button.setAttribute('aria-label', 'show room ' + pair[0] + ' moved onto ' + pair[1]);
    button.addEventListener('click', function () { showMovedPair(index); });
    item.appendChild(button);
    list.appendChild(item);
  });
  showMovedPair(0);
}

function showMovedPair(index) {
  moved.current = index;
  var pair = moved.pairs[index];
  Array.prototype.forEach.call($('moved-pairs').querySelectorAll('button'), function (button, i) {
    button.classList.toggle('current', i === index);
  });
  var source = roms.source;
  $('moved-status').textContent = '';
  var say = function (line) { if (line) $('moved-status').textContent = line; };
  var before = drawingInputs('source');
  $('moved-before-caption').textContent = 'Room 0x' + hex(pair[0], 3) + ' of ' + source.name +
      (source.pack ? ' (onto 0x' + hex(pair[1], 3) + ', by the destination\'s code)' : '');
  $('moved-after-caption').textContent = 'Room 0x' + hex(pair[1], 3) + ' of ' + moved.output.name;
  if (before) {
    drawPicture($('moved-before'), $('moved-before').parentNode,
                pictureArgs(source.pack ? pair[0] + ':' + pair[1] : String(pair[0]), before.names),
                before.files, 'moved-before', say);
  }
  drawPicture($('moved-after'), $('moved-after').parentNode,
              pictureArgs(String(pair[1]), [moved.output.name]), filesOf([moved.output]),
              'moved-after', say);
}
