// The drawing told in words for screen readers (the module's description), in a
// polite live region that the canvas names as its description. Said again only
// when it changed, so that the same words are not announced twice.

export function createDrawingDescription(element, engine) {
  return {
    update() {
      const text = engine.drawingDescription();
      if (element.textContent !== text) element.textContent = text;
    },
  };
}
