// kurovel-run-web's files, reached as the native kurovel-run reaches them.
//
// Emscripten's own file layer decodes every path as UTF-8 (a Shift-JIS name became
// U+FFFD), resolves ".." as text, keeps a table of descriptors of its own, starts
// with a umask of 0777 (new files came out as mode 0000) and writes through signed
// 32-bit sizes (an output above 2 GiB never ended). The system calls of the
// program are therefore replaced here: paths are passed to node's fs as their
// bytes, flags and modes as the system's, and descriptors are the system's own,
// standard input, output and error included. The kernel resolves the paths and
// applies the umask, as it does for the native program.
//
// A file created exclusively (O_CREAT | O_EXCL: kurovel-run's temporary files) is
// listed, while the list's lock is held, in the memory the launcher shares
// (kurovel_run_node_launcher.js), and taken off when it is renamed or removed, so
// that a signal removes the temporary files that exist at that moment.

var KurovelRunNodeFiles = {
  $nodeHost__deps: ['$ERRNO_CODES'],
  $nodeHost: {
    // Reads and writes go in pieces node accepts (at most 2 GiB - 1 bytes each).
    kPiece: 1 << 30,
    fs: function() { return require('fs'); },
    // The bytes of the C string at ptr.
    path: function(ptr) {
      ptr >>>= 0;
      var end = ptr;
      while (HEAPU8[end]) ++end;
      return Buffer.from(HEAPU8.subarray(ptr, end));
    },
    // The errno of a failed system call; anything else is a fault of this layer.
    errno: function(error) {
      if (error && typeof error.code === 'string' && error.code in ERRNO_CODES) return ERRNO_CODES[error.code];
      throw error;
    },
    // call(fs)'s result, or -errno when the system refuses (the system calls' form;
    // the descriptor calls return the errno itself).
    syscall: function(call) {
      try {
        return call(nodeHost.fs());
      } catch (error) {
        return -nodeHost.errno(error);
      }
    },
    // A descriptor's Stats; a standard input that was closed has none.
    fstat: function(fs, fd) {
      if (fd === 0 && kurovelRunHost.stdinClosed) throw Object.assign(new Error('EBADF'), {code: 'EBADF'});
      return fs.fstatSync(fd);
    },
    // Paths are taken from the working folder or the root: kurovel-run names no
    // folder by a descriptor.
    fromWorkingFolder: function(dirfd, name) {
      return dirfd === {{{ cDefine('AT_FDCWD') }}} || name[0] === 0x2F;
    },
    // Runs call() with the list of temporary files held, as the native program
    // holds its cleanup signals while its list changes.
    withListHeld: function(call) {
      var list = kurovelRunHost.temporaries;
      list.hold(kurovelRunHost.kWorker);
      try {
        return call(list);
      } finally {
        list.release();
      }
    },
    nodeFlags: function(flags) {
      var c = nodeHost.fs().constants;
      var pairs = [
        [{{{ cDefine('O_CREAT') }}}, c.O_CREAT], [{{{ cDefine('O_EXCL') }}}, c.O_EXCL],
        [{{{ cDefine('O_TRUNC') }}}, c.O_TRUNC], [{{{ cDefine('O_APPEND') }}}, c.O_APPEND],
        [{{{ cDefine('O_NONBLOCK') }}}, c.O_NONBLOCK], [{{{ cDefine('O_DIRECTORY') }}}, c.O_DIRECTORY],
        [{{{ cDefine('O_NOFOLLOW') }}}, c.O_NOFOLLOW], [{{{ cDefine('O_NOCTTY') }}}, c.O_NOCTTY],
      ];
      var access = flags & {{{ cDefine('O_ACCMODE') }}};
      var result = access === {{{ cDefine('O_WRONLY') }}} ? c.O_WRONLY : access === {{{ cDefine('O_RDWR') }}} ? c.O_RDWR : c.O_RDONLY;
      pairs.forEach(function(pair) { if (flags & pair[0]) result |= pair[1]; });
      return result;
    },
    setU32: function(at, value) { HEAPU32[at >>> 2] = value >>> 0; },
    setU64: function(at, value) {
      HEAPU32[at >>> 2] = value % 0x100000000 >>> 0;
      HEAPU32[(at + 4) >>> 2] = Math.floor(value / 0x100000000) >>> 0;
    },
    setTime: function(at, milliseconds) {
      var seconds = Math.floor(milliseconds / 1000);
      nodeHost.setU32(at, seconds);
      nodeHost.setU32(at + 4, Math.round((milliseconds - seconds * 1000) * 1e6));
    },
    // A node Stats into struct stat at buf.
    writeStat: function(buf, stat) {
      buf >>>= 0;
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_dev }}}, stat.dev);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.__st_dev_padding }}}, 0);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.__st_ino_truncated }}}, stat.ino);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_mode }}}, stat.mode);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_nlink }}}, stat.nlink);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_uid }}}, stat.uid);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_gid }}}, stat.gid);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_rdev }}}, stat.rdev);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.__st_rdev_padding }}}, 0);
      nodeHost.setU64(buf + {{{ C_STRUCTS.stat.st_size }}}, stat.size);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_blksize }}}, stat.blksize);
      nodeHost.setU32(buf + {{{ C_STRUCTS.stat.st_blocks }}}, stat.blocks);
      nodeHost.setTime(buf + {{{ C_STRUCTS.stat.st_atim.tv_sec }}}, stat.atimeMs);
      nodeHost.setTime(buf + {{{ C_STRUCTS.stat.st_mtim.tv_sec }}}, stat.mtimeMs);
      nodeHost.setTime(buf + {{{ C_STRUCTS.stat.st_ctim.tv_sec }}}, stat.ctimeMs);
      nodeHost.setU64(buf + {{{ C_STRUCTS.stat.st_ino }}}, stat.ino);
      return 0;
    },
    // Moves the bytes of an iovec array through transfer(fd, offset, length),
    // which returns how many it moved; a short count ends the call.
    transfer: function(fd, iov, iovcnt, pnum, transfer) {
      iov >>>= 0;
      var done = 0;
      try {
        for (var i = 0; i < iovcnt; ++i) {
          var base = HEAPU32[(iov + i * {{{ C_STRUCTS.iovec.__size__ }}} + {{{ C_STRUCTS.iovec.iov_base }}}) >>> 2];
          var length = HEAPU32[(iov + i * {{{ C_STRUCTS.iovec.__size__ }}} + {{{ C_STRUCTS.iovec.iov_len }}}) >>> 2];
          for (var at = 0; at < length;) {
            var wanted = Math.min(length - at, nodeHost.kPiece);
            var moved = transfer(fd, base + at, wanted);
            done += moved;
            at += moved;
            if (moved < wanted) break;
          }
          if (at < length) break;
        }
      } catch (error) {
        if (done === 0) return nodeHost.errno(error);
      }
      nodeHost.setU32(pnum, done);
      return 0;
    },
  },

  kurovel_host_arguments__deps: ['$nodeHost'],
  kurovel_host_arguments: function(buffer, size) {
    buffer >>>= 0;
    var total = 0;
    kurovelRunHost.arguments.forEach(function(argument) { total += argument.length + 1; });
    if (buffer !== 0 && size >>> 0 >= total) {
      kurovelRunHost.arguments.forEach(function(argument) {
        HEAPU8.set(argument, buffer);
        HEAPU8[buffer + argument.length] = 0;
        buffer += argument.length + 1;
      });
    }
    return total;
  },

  __syscall_open__deps: ['$nodeHost'],
  __syscall_open: function(path, flags, varargs) {
    var name = nodeHost.path(path);
    var mode = varargs ? HEAPU32[(varargs >>> 0) >>> 2] : 0;
    var exclusive = (flags & {{{ cDefine('O_CREAT') }}}) && (flags & {{{ cDefine('O_EXCL') }}});
    return nodeHost.syscall(function(fs) {
      if (!exclusive) return fs.openSync(name, nodeHost.nodeFlags(flags), mode);
      return nodeHost.withListHeld(function(list) {
        var fd = fs.openSync(name, nodeHost.nodeFlags(flags), mode);
        if (list.add(name)) return fd;
        fs.closeSync(fd);
        fs.unlinkSync(name);
        return -{{{ cDefine('EMFILE') }}};
      });
    });
  },

  fd_read__deps: ['$nodeHost'],
  fd_read: function(fd, iov, iovcnt, pnum) {
    if (fd === 0 && kurovelRunHost.stdinClosed) return {{{ cDefine('EBADF') }}};
    return nodeHost.transfer(fd, iov, iovcnt, pnum, function(fd, at, length) {
      return nodeHost.fs().readSync(fd, HEAPU8, at, length, null);
    });
  },

  fd_write__deps: ['$nodeHost'],
  fd_write: function(fd, iov, iovcnt, pnum) {
    var result = nodeHost.transfer(fd, iov, iovcnt, pnum, function(fd, at, length) {
      return nodeHost.fs().writeSync(fd, HEAPU8, at, length, null);
    });
    // Node ignores SIGPIPE; the native program is ended by it.
    if (result === {{{ cDefine('EPIPE') }}}) kurovelRunHost.endBySignal('SIGPIPE');
    return result;
  },

  fd_close__deps: ['$nodeHost'],
  fd_close: function(fd) {
    return -nodeHost.syscall(function(fs) { fs.closeSync(fd); return 0; });
  },

  // Node cannot seek a descriptor, and kurovel-run reads and writes straight through.
  fd_seek: function(fd, offset_low, offset_high, whence, newOffset) {
    return {{{ cDefine('ESPIPE') }}};
  },

  fd_fdstat_get__deps: ['$nodeHost'],
  fd_fdstat_get: function(fd, pbuf) {
    pbuf >>>= 0;
    return -nodeHost.syscall(function(fs) {
      var stat = nodeHost.fstat(fs, fd);
      var type = stat.isCharacterDevice() ? {{{ cDefine('__WASI_FILETYPE_CHARACTER_DEVICE') }}} :
                 stat.isDirectory() ? {{{ cDefine('__WASI_FILETYPE_DIRECTORY') }}} :
                 stat.isSymbolicLink() ? {{{ cDefine('__WASI_FILETYPE_SYMBOLIC_LINK') }}} :
                 stat.isFile() ? {{{ cDefine('__WASI_FILETYPE_REGULAR_FILE') }}} : 0;
      HEAPU8.fill(0, pbuf, pbuf + {{{ C_STRUCTS.__wasi_fdstat_t.__size__ }}});
      HEAPU8[pbuf + {{{ C_STRUCTS.__wasi_fdstat_t.fs_filetype }}}] = type;
      return 0;
    });
  },

  __syscall_stat64__deps: ['$nodeHost'],
  __syscall_stat64: function(path, buf) {
    return nodeHost.syscall(function(fs) { return nodeHost.writeStat(buf, fs.statSync(nodeHost.path(path))); });
  },

  __syscall_lstat64__deps: ['$nodeHost'],
  __syscall_lstat64: function(path, buf) {
    return nodeHost.syscall(function(fs) { return nodeHost.writeStat(buf, fs.lstatSync(nodeHost.path(path))); });
  },

  __syscall_fstatat64__deps: ['$nodeHost'],
  __syscall_fstatat64: function(dirfd, path, buf, flags) {
    var name = nodeHost.path(path);
    return nodeHost.syscall(function(fs) {
      if (name.length === 0 && (flags & {{{ cDefine('AT_EMPTY_PATH') }}})) return nodeHost.writeStat(buf, nodeHost.fstat(fs, dirfd));
      if (!nodeHost.fromWorkingFolder(dirfd, name)) return -{{{ cDefine('ENOTSUP') }}};
      var nofollow = flags & {{{ cDefine('AT_SYMLINK_NOFOLLOW') }}};
      return nodeHost.writeStat(buf, nofollow ? fs.lstatSync(name) : fs.statSync(name));
    });
  },

  __syscall_readlink__deps: ['$nodeHost'],
  __syscall_readlink: function(path, buf, bufsize) {
    return nodeHost.syscall(function(fs) {
      var target = fs.readlinkSync(nodeHost.path(path), {encoding: 'buffer'});
      var length = Math.min(target.length, bufsize >>> 0);
      HEAPU8.set(target.subarray(0, length), buf >>> 0);
      return length;
    });
  },

  __syscall_faccessat__deps: ['$nodeHost'],
  __syscall_faccessat: function(dirfd, path, amode, flags) {
    var name = nodeHost.path(path);
    return nodeHost.syscall(function(fs) {
      if (!nodeHost.fromWorkingFolder(dirfd, name)) return -{{{ cDefine('ENOTSUP') }}};
      fs.accessSync(name, amode);
      return 0;
    });
  },

  __syscall_chmod__deps: ['$nodeHost'],
  __syscall_chmod: function(path, mode) {
    return nodeHost.syscall(function(fs) { fs.chmodSync(nodeHost.path(path), mode); return 0; });
  },

  __syscall_fchmod__deps: ['$nodeHost'],
  __syscall_fchmod: function(fd, mode) {
    return nodeHost.syscall(function(fs) { fs.fchmodSync(fd, mode); return 0; });
  },

  __syscall_rename__deps: ['$nodeHost'],
  __syscall_rename: function(oldPath, newPath) {
    var from = nodeHost.path(oldPath);
    var to = nodeHost.path(newPath);
    return nodeHost.syscall(function(fs) {
      return nodeHost.withListHeld(function(list) {
        fs.renameSync(from, to);
        list.remove(from);
        return 0;
      });
    });
  },

  __syscall_unlink__deps: ['$nodeHost'],
  __syscall_unlink: function(path) {
    var name = nodeHost.path(path);
    return nodeHost.syscall(function(fs) {
      return nodeHost.withListHeld(function(list) {
        fs.unlinkSync(name);
        list.remove(name);
        return 0;
      });
    });
  },
};

mergeInto(LibraryManager.library, KurovelRunNodeFiles);
