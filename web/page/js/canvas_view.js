// The drawing area: a canvas with one raster pixel per CSS pixel, sized to its
// container, repainted from the module's dirty rectangle at most once a frame.
// onFrame runs at every frame painted (the page shows the run's notes then).

export function createCanvasView(container, canvas, engine, onFrame = () => {}) {
  const context = canvas.getContext("2d", { alpha: false });
  let framePending = false;
  let keepPainting = () => false;

  function paintDirty() {
    const dirty = engine.takeDirty();
    if (dirty) context.putImageData(engine.image(), 0, 0, dirty.x, dirty.y, dirty.w, dirty.h);
  }

  function frame() {
    framePending = false;
    paintDirty();
    onFrame();
    if (keepPainting()) requestPaint();
  }

  // Asks for one repaint at the next animation frame (several requests share it).
  function requestPaint() {
    if (framePending) return;
    framePending = true;
    requestAnimationFrame(frame);
  }

  function fitCanvas(width, height) {
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = `${width}px`;
    canvas.style.height = `${height}px`;
    // A resized canvas is blank: the whole surface must be painted again.
    engine.takeDirty();
    context.putImageData(engine.image(), 0, 0);
  }

  const containerSize = () => ({
    width: Math.max(1, Math.floor(container.clientWidth)),
    height: Math.max(1, Math.floor(container.clientHeight)),
  });

  return {
    containerSize,
    requestPaint,
    // While a run goes on, every frame paints what the run drew.
    paintWhile(condition) {
      keepPainting = condition;
      requestPaint();
    },
    // The surface has taken a new size (or was created): the canvas follows.
    adoptSurfaceSize() {
      fitCanvas(engine.width(), engine.height());
    },
    paintNow: paintDirty,
  };
}
