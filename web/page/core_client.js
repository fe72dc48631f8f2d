// --- The calls to the core ---
//
// The core runs in workers started from the page's own text (the element
// core-source), one per lane, so that a long run never holds up the field's
// checks or a picture: "field" answers the room field and the command line,
// "check" inspects the files and makes the dry runs, "run" runs and saves
// packs, "picture" draws. Each lane answers one request at a time, in order;
// a request with a `slot` replaces one of the same slot still waiting (only
// the latest check, or picture of a place, is worth making). A failure
// (the core throwing, the worker stopping) answers {failure} and the lane
// starts afresh with the next request.

var coreLanes = Object.create(null);
var coreRequests = 0;

function coreSource() { return document.getElementById('core-source').textContent; }

function coreFailure(reason) { return 'the core failed in the page (' + reason + ')'; }

function startLane(name) {
  var url = URL.createObjectURL(new Blob([coreSource()], { type: 'text/javascript' }));
  var lane = { name: name, worker: new Worker(url, { name: name }), url: url, queue: [], current: null };
  lane.worker.onmessage = function (event) { finishRequest(lane, event.data); };
  lane.worker.onerror = function (event) {
    event.preventDefault();
    var message = event.message || 'the worker stopped';
    if (lane.current) finishRequest(lane, { id: lane.current.message.id, failure: message });
  };
  return lane;
}

function laneOf(name) {
  if (!coreLanes[name]) coreLanes[name] = startLane(name);
  return coreLanes[name];
}

// Stops the lane's worker, answering the request it was on as superseded;
// the requests waiting go to a new one.
function restartLane(name) {
  var lane = coreLanes[name];
  if (!lane) return;
  stopLane(lane);
  if (lane.current) lane.current.resolve({ superseded: true });
  lane.queue.forEach(function (request) { sendRequest(name, request); });
}

function stopLane(lane) {
  lane.worker.terminate();
  URL.revokeObjectURL(lane.url);
  if (coreLanes[lane.name] === lane) delete coreLanes[lane.name];
}

// Every lane afresh: after the core's text changed, or to drop all work.
function restartCore() { Object.keys(coreLanes).forEach(restartLane); }

function sendRequest(name, request) {
  var lane = laneOf(name);
  if (request.slot) {
    lane.queue = lane.queue.filter(function (waiting) {
      if (waiting.slot !== request.slot) return true;
      waiting.resolve({ superseded: true });
      return false;
    });
  }
  lane.queue.push(request);
  nextRequest(lane);
}

function nextRequest(lane) {
  if (lane.current || lane.queue.length === 0) return;
  lane.current = lane.queue.shift();
  lane.worker.postMessage(lane.current.message, lane.current.transfer || []);
}

function finishRequest(lane, reply) {
  var request = lane.current;
  if (!request || reply.id !== request.message.id) return;
  lane.current = null;
  if (reply.failure !== undefined) {
    // The core may be left in any state: the requests waiting get a new one.
    reply.failure = coreFailure(reply.failure);
    stopLane(lane);
    lane.queue.forEach(function (next) { sendRequest(lane.name, next); });
  } else {
    nextRequest(lane);
  }
  request.resolve(reply);
}

// Asks lane `name` for `message` ({kind, ...}); gives a promise of the
// answer. `options.slot` names what the request is for, `options.transfer`
// the buffers handed over.
function askCore(name, message, options) {
  options = options || {};
  return new Promise(function (resolve) {
    message.id = ++coreRequests;
    sendRequest(name, { message: message, slot: options.slot, transfer: options.transfer,
                        resolve: resolve });
  });
}

// A fresh copy of each input for one request (name to bytes, no
// prototype), and the buffers to hand over with it.
function copyFiles(files) {
  var copy = Object.create(null);
  var buffers = [];
  Object.keys(files).forEach(function (name) {
    copy[name] = files[name].slice();
    buffers.push(copy[name].buffer);
  });
  return { files: copy, buffers: buffers };
}

// The command line's run in lane `name`: {status, text, result, files, ms}
// or {failure} (or {superseded}).
function runInCore(name, args, files, slot) {
  var copy = copyFiles(files);
  return askCore(name, { kind: 'run', args: args, files: copy.files },
                 { slot: slot, transfer: copy.buffers });
}

// What --picture draws for `args`: {status, line, width, height, pixels}.
function pictureInCore(args, files, slot) {
  var copy = copyFiles(files);
  return askCore('picture', { kind: 'picture', args: args, files: copy.files },
                 { slot: slot, transfer: copy.buffers });
}
