// Runs only in browsers without JavaScript modules (a script of its own: the
// page's Content-Security-Policy allows no inline script), to say why nothing starts.
document.getElementById("status-line").textContent =
  "このブラウザーは古いため、Kurovel を動かせません。新しいブラウザーで開いてください。";
