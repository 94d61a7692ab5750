// kurovel-run-web: kurovel-run compiled to WebAssembly and run by node. This part
// comes first in kurovel-run-web.js and runs in both of its threads.
//
// Node takes a signal only between turns of its event loop, and a run is one long
// turn, so the program itself never could. The main thread therefore starts the
// program in a worker thread and only waits. On SIGINT, SIGTERM or SIGHUP it does
// what kurovel-run's own handler does: it removes the temporary files that exist
// and ends the process by that signal. Both threads share the list of temporary
// files; the worker creates and renames them only while it holds the list's lock
// (app/kurovel_run_node_files.js), and the main thread takes the lock for good
// before it removes them.
//
// The main thread also hands the worker what node hides from a script: the bytes
// of the arguments (node decodes them as UTF-8) and whether standard input was
// closed (node opens /dev/null in its place before any script runs).

var kurovelRunHost = (function() {
  var threads = require('worker_threads');
  var nodeFs = require('fs');
  var kSlots = 8;           // temporary files at once: more than kurovel-run writes
  var kPathBytes = 4096;    // PATH_MAX
  var kWorker = 1, kMain = 2;  // who holds the lock
  var kSignals = ['SIGINT', 'SIGTERM', 'SIGHUP'];

  // Shared memory: the lock word, the length of each slot's path (0: free), then
  // the slots' path bytes.
  function TemporaryList(buffer) {
    this.words = new Int32Array(buffer, 0, 1 + kSlots);
    this.bytes = new Uint8Array(buffer, 4 * (1 + kSlots));
  }
  TemporaryList.newBuffer = function() { return new SharedArrayBuffer(4 * (1 + kSlots) + kSlots * kPathBytes); };
  TemporaryList.prototype.hold = function(who) {
    for (;;) {
      var holder = Atomics.compareExchange(this.words, 0, 0, who);
      if (holder === 0) return;
      Atomics.wait(this.words, 0, holder);
    }
  };
  TemporaryList.prototype.release = function() {
    Atomics.store(this.words, 0, 0);
    Atomics.notify(this.words, 0);
  };
  TemporaryList.prototype.slotHolds = function(slot, path) {
    return this.words[1 + slot] === path.length &&
        Buffer.compare(this.bytes.subarray(slot * kPathBytes, slot * kPathBytes + path.length), path) === 0;
  };
  // Lists a path; false when it does not fit.
  TemporaryList.prototype.add = function(path) {
    if (path.length === 0 || path.length > kPathBytes) return false;
    for (var slot = 0; slot < kSlots; ++slot) {
      if (this.words[1 + slot] !== 0) continue;
      this.bytes.set(path, slot * kPathBytes);
      this.words[1 + slot] = path.length;
      return true;
    }
    return false;
  };
  TemporaryList.prototype.remove = function(path) {
    for (var slot = 0; slot < kSlots; ++slot) {
      if (this.slotHolds(slot, path)) this.words[1 + slot] = 0;
    }
  };
  TemporaryList.prototype.paths = function() {
    var paths = [];
    for (var slot = 0; slot < kSlots; ++slot) {
      var length = this.words[1 + slot];
      if (length > 0) paths.push(Buffer.from(this.bytes.subarray(slot * kPathBytes, slot * kPathBytes + length)));
    }
    return paths;
  };

  if (!threads.isMainThread) {
    var given = threads.workerData;
    return {
      temporaries: new TemporaryList(given.temporaries),
      arguments: given.arguments,
      stdinClosed: given.stdinClosed,
      // Ends the process by a signal (SIGPIPE, which node ignores): the main thread
      // does it; this thread waits for the end.
      endBySignal: function(signal) {
        threads.parentPort.postMessage({signal: signal});
        Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0);
      },
      kWorker: kWorker,
    };
  }

  // The arguments' bytes: the last ones of /proc/self/cmdline, as many as node counts.
  function rawArguments() {
    var count = process.argv.length - 2;
    try {
      var line = nodeFs.readFileSync('/proc/self/cmdline');
      var parts = [];
      for (var start = 0; start < line.length;) {
        var end = line.indexOf(0, start);
        if (end < 0) end = line.length;
        parts.push(line.subarray(start, end));
        start = end + 1;
      }
      if (parts.length >= count + 2) return parts.slice(parts.length - count).map(function(part) { return Buffer.from(part); });
    } catch (e) {
      // No /proc: the decoded arguments are the best there is.
    }
    return process.argv.slice(2).map(function(argument) { return Buffer.from(argument); });
  }

  // Node puts /dev/null opened for reading and writing in place of a closed
  // standard input; a shell's "< /dev/null" opens it for reading only. /dev/null
  // given for reading and writing ("<> /dev/null", Python's subprocess.DEVNULL)
  // looks the same and is taken as closed too: reading a program from it fails
  // (exit 66) where kurovel-run reads an empty program.
  function stdinWasClosed() {
    try {
      var flags = /flags:\s*([0-7]+)/.exec(nodeFs.readFileSync('/proc/self/fdinfo/0', 'latin1'));
      return flags !== null && (parseInt(flags[1], 8) & 3) === 2 && nodeFs.readlinkSync('/proc/self/fd/0') === '/dev/null';
    } catch (e) {
      return false;
    }
  }

  var buffer = TemporaryList.newBuffer();
  var temporaries = new TemporaryList(buffer);
  var worker = new threads.Worker(__filename, {
    workerData: {temporaries: buffer, arguments: rawArguments(), stdinClosed: stdinWasClosed()},
  });

  // Removes the temporary files, then lets the signal end the process as it would
  // have without a handler (node resets its action once no listener is left).
  function endBySignal(signal) {
    temporaries.hold(kMain);  // for good: the worker creates and renames no more
    temporaries.paths().forEach(function(path) {
      try {
        nodeFs.unlinkSync(path);
      } catch (e) {
        // Already gone.
      }
    });
    kSignals.concat(['SIGPIPE']).forEach(function(s) { process.removeAllListeners(s); });
    if (signal === 'SIGPIPE') {  // ignored by node: a listener added and removed restores its default
      process.on('SIGPIPE', function() {});
      process.removeAllListeners('SIGPIPE');
    }
    process.kill(process.pid, signal);
  }
  kSignals.forEach(function(signal) { process.on(signal, endBySignal); });
  worker.on('message', function(message) { endBySignal(message.signal); });
  var failed = false;
  worker.on('error', function(error) {
    failed = true;
    process.stderr.write('kurovel-run: internal error: ' + error + '\n');
    process.exitCode = 70;
  });
  worker.on('exit', function(code) {
    if (!failed) process.exitCode = code;
  });
  return null;
})();
if (kurovelRunHost === null) return;  // the main thread only waits for the worker
