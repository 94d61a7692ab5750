// Strings and bytes in and out of a module instance's heap, for the page's
// window (engine.js) and the class report's worker (class_worker.js).

export function createHeap(kv) {
  const decoder = new TextDecoder();

  // A string copied into the module's heap for one call (never onto its stack,
  // which a program of many megabytes would overflow).
  function stringIn(value) {
    const size = kv.lengthBytesUTF8(value) + 1;
    const pointer = kv._malloc(size);
    if (!pointer) throw new RangeError("out of memory");
    kv.stringToUTF8(value, pointer, size);
    return pointer;
  }
  return {
    stringIn,
    withStrings(values, call) {
      const pointers = [];
      try {
        for (const value of values) pointers.push(stringIn(value));
        return call(...pointers);
      } finally {
        pointers.forEach((pointer) => kv._free(pointer));
      }
    },
    // bytes null: the call gets a null pointer.
    withBytes(bytes, call) {
      if (!bytes) return call(0, 0);
      const pointer = kv._malloc(Math.max(1, bytes.length));
      if (!pointer) throw new RangeError("out of memory");
      try {
        kv.HEAPU8.set(bytes, pointer);
        return call(pointer, bytes.length);
      } finally {
        kv._free(pointer);
      }
    },
    string: (pointer) => kv.UTF8ToString(pointer),
    textAt: (pointer, size) => decoder.decode(kv.HEAPU8.subarray(pointer, pointer + size)),
    // A copy, since memory growth replaces the heap's buffer.
    bytesAt: (pointer, size) => kv.HEAPU8.slice(pointer, pointer + size),
  };
}
