// The page's line to the desktop window it is shown in: WebView2 on Windows
// (chrome.webview), WebKitGTK on Linux (a script message handler). In an ordinary
// browser there is no window to talk to, and the title bar hides itself.
const bridge = (() => {
  if (window.chrome && window.chrome.webview && typeof window.chrome.webview.postMessage === 'function') {
    return (message) => window.chrome.webview.postMessage(message);
  }
  const handlers = window.webkit && window.webkit.messageHandlers;
  if (handlers && handlers.quillvarden && typeof handlers.quillvarden.postMessage === 'function') {
    return (message) => handlers.quillvarden.postMessage(message);
  }
  return null;
})();

export const insideDesktopWindow = bridge !== null;

// One of "win:minimize", "win:maximize", "win:close", "win:drag".
export function sendWindowMessage(message) {
  if (bridge) bridge(message);
}

// Wires a title bar: its buttons (data-window-action="minimize|maximize|close") and a
// drag on the bar itself; a double click maximises or restores.
export function attachTitleBar(bar) {
  if (!insideDesktopWindow) {
    bar.hidden = true;
    document.documentElement.classList.add('in-browser');
    return;
  }
  document.documentElement.classList.add('in-window');
  for (const button of bar.querySelectorAll('[data-window-action]')) {
    button.addEventListener('click', () => sendWindowMessage('win:' + button.dataset.windowAction));
  }
  bar.addEventListener('mousedown', (event) => {
    if (event.button !== 0 || event.target.closest('button')) return;
    event.preventDefault();
    sendWindowMessage('win:drag');
  });
  bar.addEventListener('dblclick', (event) => {
    if (!event.target.closest('button')) sendWindowMessage('win:maximize');
  });
}
