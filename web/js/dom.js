// Small helpers for building the page: elements, formatting, notices and dialogs.

// h('button', { class: 'primary', onclick }, '文字', child, …)
export function h(tag, attributes = {}, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (value === undefined || value === null || value === false) continue;
    if (name.startsWith('on') && typeof value === 'function') {
      element.addEventListener(name.slice(2), value);
    } else if (name === 'class') {
      element.className = value;
    } else if (name === 'dataset') {
      Object.assign(element.dataset, value);
    } else if (value === true) {
      element.setAttribute(name, '');
    } else {
      element.setAttribute(name, String(value));
    }
  }
  for (const child of children.flat()) {
    if (child === undefined || child === null || child === false) continue;
    element.append(child instanceof Node ? child : document.createTextNode(String(child)));
  }
  return element;
}

export function clear(element) {
  element.replaceChildren();
  return element;
}

export function formatTime(ms) {
  if (!ms) return '—';
  const date = new Date(ms);
  const pad = (n) => String(n).padStart(2, '0');
  return `${date.getFullYear()}-${pad(date.getMonth() + 1)}-${pad(date.getDate())} ` +
         `${pad(date.getHours())}:${pad(date.getMinutes())}:${pad(date.getSeconds())}`;
}

export function formatSize(bytes) {
  if (bytes === undefined || bytes === null) return '—';
  if (bytes < 1024) return `${bytes} B`;
  const units = ['KB', 'MB', 'GB', 'TB'];
  let value = bytes / 1024;
  let unit = 0;
  while (value >= 1024 && unit < units.length - 1) {
    value /= 1024;
    unit += 1;
  }
  return `${value.toFixed(value < 10 ? 1 : 0)} ${units[unit]}`;
}

export function formatDuration(ms) {
  const seconds = Math.max(0, Math.floor(ms / 1000));
  const minutes = Math.floor(seconds / 60);
  return minutes > 0 ? `${minutes} 分 ${seconds % 60} 秒` : `${seconds} 秒`;
}

export const SEVERITY_ORDER = { Low: 0, Medium: 1, High: 2, Critical: 3 };

export function severityBadge(severity, label) {
  return h('span', { class: `badge severity-${String(severity).toLowerCase()}` }, label || severity);
}

// A short notice at the corner of the page; errors stay until dismissed.
export function toast(message, kind = 'info') {
  const area = document.getElementById('toasts');
  const item = h('div', { class: `toast toast-${kind}`, role: kind === 'error' ? 'alert' : 'status' },
                 h('span', {}, message),
                 h('button', { class: 'toast-close', 'aria-label': '关闭', onclick: () => item.remove() }, '×'));
  area.append(item);
  if (kind !== 'error') setTimeout(() => item.remove(), 5000);
}

// Asks before something that cannot be undone; resolves true when confirmed. (The
// desktop window has no script dialogs, so the page draws its own.)
export function confirmAction(title, text, confirmLabel = '确定', danger = false) {
  return new Promise((resolve) => {
    const close = (answer) => {
      overlay.remove();
      resolve(answer);
    };
    const overlay = h('div', { class: 'dialog-overlay', role: 'dialog', 'aria-modal': 'true' },
      h('div', { class: 'dialog' },
        h('h3', {}, title),
        h('p', { class: 'dialog-text' }, text),
        h('div', { class: 'dialog-actions' },
          h('button', { class: 'button', onclick: () => close(false) }, '取消'),
          h('button', { class: danger ? 'button danger' : 'button primary', 'data-confirm': true,
                        onclick: () => close(true) }, confirmLabel))));
    overlay.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') close(false);
    });
    document.body.append(overlay);
    overlay.querySelector('[data-confirm]').focus();
  });
}

// Runs an API action and shows its error in the API's own words.
export async function attempt(action) {
  try {
    return await action();
  } catch (error) {
    toast(error.message || String(error), 'error');
    return undefined;
  }
}
