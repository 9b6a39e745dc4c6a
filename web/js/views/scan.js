// Scan: a path (recent ones remembered), start and stop, live progress, and the
// threats as they are found.
import { api, post } from '../api.js';
import { h, clear, formatDuration, severityBadge, attempt } from '../dom.js';
import { state, changed } from '../state.js';

const RECENT_KEY = 'quillvarden-recent-paths';
const RECENT_LIMIT = 8;

export function recentPaths() {
  try {
    const list = JSON.parse(localStorage.getItem(RECENT_KEY) || '[]');
    return Array.isArray(list) ? list.filter((p) => typeof p === 'string') : [];
  } catch (error) {
    return [];
  }
}

function remember(path) {
  const list = [path, ...recentPaths().filter((p) => p !== path)].slice(0, RECENT_LIMIT);
  localStorage.setItem(RECENT_KEY, JSON.stringify(list));
}

export async function startScan(path) {
  const target = path.trim();
  if (!target) return false;
  const reply = await attempt(() => post('/api/scan', { path: target }));
  if (!reply) return false;
  remember(target);
  state.scanPath = target;
  changed();
  return true;
}

export async function refreshProgress() {
  state.progress = await api('/api/scan/progress');
  changed();
}

export function createScanView(root, { onShowThreat }) {
  const input = h('input', { type: 'text', class: 'path-input', list: 'recent-paths', placeholder: '要扫描的文件或文件夹，例如 C:\\Users\\你\\Downloads',
                             'aria-label': '扫描路径' });
  const datalist = h('datalist', { id: 'recent-paths' });
  const start = h('button', { class: 'button primary', type: 'submit' }, '开始扫描');
  const stop = h('button', { class: 'button', type: 'button', onclick: () => attempt(() => post('/api/scan/stop', {})) }, '停止');
  const form = h('form', { class: 'scan-form', onsubmit: async (event) => {
    event.preventDefault();
    start.disabled = true;
    await startScan(input.value);
    start.disabled = false;
  } }, input, datalist, start, stop);
  const bar = h('div', { class: 'progress-fill' });
  const progress = h('div', { class: 'progress', role: 'progressbar', 'aria-valuemin': 0, 'aria-valuemax': 100, 'aria-valuenow': 0 }, bar);
  const percent = h('span', { class: 'percent' }, '0%');
  const numbers = h('div', { class: 'scan-numbers' });
  const current = h('div', { class: 'current-file muted' });
  const found = h('ul', { class: 'found-list' });
  root.append(h('div', { class: 'card' }, form),
              h('div', { class: 'card' }, h('div', { class: 'progress-row' }, progress, percent), numbers, current),
              h('div', { class: 'card' }, h('h3', {}, '本次扫描发现'), found));

  let ticking = null;
  function render() {
    clear(datalist);
    for (const path of recentPaths()) datalist.append(h('option', { value: path }));
    if (!input.value && recentPaths().length) input.value = recentPaths()[0];
    const p = state.progress || { totalFiles: 0, scannedFiles: 0, threatsFound: 0, running: false, currentFile: '' };
    const running = Boolean(p.running) || Boolean(state.health && state.health.scanning);
    const value = p.totalFiles > 0 ? Math.round((p.scannedFiles / p.totalFiles) * 100) : (state.scanFinishedAt ? 100 : 0);
    bar.style.width = `${value}%`;
    progress.setAttribute('aria-valuenow', String(value));
    percent.textContent = `${value}%`;
    const elapsed = state.scanStartedAt ? (state.scanFinishedAt || Date.now()) - state.scanStartedAt : 0;
    clear(numbers).append(
      h('span', {}, `已扫描 ${p.scannedFiles} / ${p.totalFiles} 个文件`),
      h('span', {}, `发现威胁 ${p.threatsFound}`),
      h('span', {}, `用时 ${formatDuration(elapsed)}`),
      h('span', { class: running ? 'state state-running' : 'state' }, running ? '扫描中' : (state.scanFinishedAt ? '已完成' : '空闲')));
    current.textContent = running && p.currentFile ? `正在扫描：${p.currentFile}` : '';
    stop.disabled = !running;
    clear(found);
    if (state.scanThreats.length === 0) found.append(h('li', { class: 'muted' }, '暂无'));
    for (const record of state.scanThreats.slice(-200).reverse()) {
      found.append(h('li', {}, severityBadge(record.severity, record.severityCn), ' ',
        h('a', { href: '#', onclick: (event) => { event.preventDefault(); onShowThreat(record.filePath); } }, record.filePath),
        h('span', { class: 'muted' }, ` · ${record.ruleName}`)));
    }
    if (running && !ticking) ticking = setInterval(render, 1000);
    if (!running && ticking) {
      clearInterval(ticking);
      ticking = null;
    }
  }
  return { render, focus: () => input.focus(), setPath: (path) => { input.value = path; } };
}
