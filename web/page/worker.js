// The page's worker: one instance of the core, off the page's thread. The
// page posts requests {id, kind, ...}; each gets one answer {id, ...}, or
// {id, failure} when the core threw instead of returning (a JavaScript
// exception, or the WebAssembly stopping). The core's own code follows this
// text in the same script.
var coreOutput = [];
var coreReady = false;
var waitingRequests = [];
var runCount = 0;

var Module = {
  preRun: [function () {
    var take = function (code) { if (code !== null && code !== undefined) coreOutput.push(code); };
    FS.init(null, take, take);
  }],
  onRuntimeInitialized: function () {
    coreReady = true;
    waitingRequests.splice(0).forEach(answer);
  }
};

self.onmessage = function (event) {
  if (coreReady) {
    answer(event.data);
  } else {
    waitingRequests.push(event.data);
  }
};

function answer(request) {
  var reply;
  try {
    reply = ANSWERS[request.kind](request);
  } catch (error) {
    reply = { failure: error instanceof Error ? error.name + ': ' + error.message : String(error) };
  }
  reply.id = request.id;
  var transfer = reply.transfer || [];
  delete reply.transfer;
  self.postMessage(reply, transfer);
}

function callJson(name, types, args) { return JSON.parse(Module.ccall(name, 'string', types, args)); }

// `argv` (program name first) into the core's memory for the length of `call`.
function withArgv(argv, call) {
  var pointers = argv.map(function (text) {
    var size = Module.lengthBytesUTF8(text) + 1;
    var at = Module._malloc(size);
    Module.stringToUTF8(text, at, size);
    return at;
  });
  var table = Module._malloc(4 * (pointers.length + 1));
  pointers.forEach(function (at, i) { Module.HEAP32[(table >> 2) + i] = at; });
  Module.HEAP32[(table >> 2) + pointers.length] = 0;
  try {
    return call(argv.length, table);
  } finally {
    pointers.forEach(function (at) { Module._free(at); });
    Module._free(table);
  }
}

// Calls `entry` on "roomxfer" and `args` in a fresh folder holding `files`
// (name to bytes, an object without prototype); gives its answer, what it
// printed and the files it left there besides the inputs. Even when the core
// throws, the folder goes and the next call starts afresh.
function inFolder(entry, args, files, takeFiles) {
  var folder = '/run' + (++runCount);
  FS.mkdir(folder);
  Object.keys(files).forEach(function (name) { FS.writeFile(folder + '/' + name, files[name]); });
  FS.chdir(folder);
  coreOutput = [];
  var started = performance.now();
  var result = { written: [] };
  try {
    result.answer = withArgv(['roomxfer'].concat(args), function (argc, argv) {
      return JSON.parse(Module.ccall(entry, 'string', ['number', 'number'], [argc, argv]));
    });
    result.ms = performance.now() - started;
    result.text = new TextDecoder().decode(new Uint8Array(coreOutput));
    if (takeFiles) {
      result.answer.written.forEach(function (name) {
        result.written.push({ name: name, bytes: FS.readFile(folder + '/' + name) });
      });
    }
  } finally {
    FS.chdir('/');
    FS.readdir(folder).forEach(function (name) {
      if (name !== '.' && name !== '..') FS.unlink(folder + '/' + name);
    });
    FS.rmdir(folder);
  }
  return result;
}

var ANSWERS = {
  // The command line's run: {status, text, result, files, ms}.
  run: function (request) {
    var run = inFolder('PageRun', request.args, request.files, true);
    return { status: run.answer.status, text: run.text, result: run.answer, files: run.written,
             ms: run.ms, transfer: run.written.map(function (file) { return file.bytes.buffer; }) };
  },
  // What --picture draws: {status, line, width, height, pixels (RGBA), ms}.
  picture: function (request) {
    var drawn = inFolder('PagePicture', request.args, request.files, false);
    var reply = drawn.answer;
    reply.ms = drawn.ms;
    if (reply.status === 0) {
      var at = Module.ccall('PagePicturePixels', 'number', [], []);
      reply.pixels = Module.HEAPU8.slice(at, at + 4 * reply.width * reply.height).buffer;
      reply.transfer = [reply.pixels];
    }
    return reply;
  },
  limit: function () {
    return { limit: Module.ccall('PageInputReadLimit', 'number', [], []) };
  },
  field: function (request) { return callJson('PageField', ['string'], [request.field]); },
  withPair: function (request) {
    return { field: Module.ccall('PageFieldWithPair', 'string', ['string', 'number', 'number'],
                                 [request.field, request.source, request.destination]) };
  },
  withoutPair: function (request) {
    return { field: Module.ccall('PageFieldWithoutPair', 'string', ['string', 'number'],
                                 [request.field, request.index]) };
  },
  runCommand: function (request) {
    return callJson('PageRunCommand', ['string', 'string', 'string', 'string'],
                    [request.source, request.destination, request.field, request.options.join('\n')]);
  },
  exportCommand: function (request) {
    return callJson('PageExportCommand', ['string', 'string'], [request.source, request.field]);
  }
};
