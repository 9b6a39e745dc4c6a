// Overview: the program's health at a glance, the latest findings, one scan button.
import { h, clear, formatTime, severityBadge } from '../dom.js';
import { state, threatsByFile, fileState } from '../state.js';

function tile(label, value, good, detail) {
  return h('div', { class: `tile ${good === undefined ? '' : good ? 'good' : 'bad'}` },
    h('div', { class: 'tile-label' }, label), h('div', { class: 'tile-value' }, value),
    detail ? h('div', { class: 'tile-detail muted' }, detail) : null);
}

export function createOverviewView(root, { onScanNow, onShowThreat, onShowProtection }) {
  const tiles = h('div', { class: 'tiles' });
  const threats = h('ul', { class: 'latest' });
  const alerts = h('ul', { class: 'latest' });
  root.append(
    h('div', { class: 'hero' },
      h('div', {}, h('h2', { class: 'hero-title' }), h('p', { class: 'muted hero-text' })),
      h('button', { class: 'button primary large', onclick: onScanNow }, '立即扫描')),
    tiles,
    h('div', { class: 'columns' },
      h('div', { class: 'card' }, h('h3', {}, '最近发现的威胁'), threats),
      h('div', { class: 'card' }, h('h3', {}, '最近的实时告警'), alerts)));

  function render() {
    const health = state.health;
    const pending = threatsByFile(state.threats).filter((f) => fileState(f).key === 'pending');
    const protectedWell = health && health.protection && health.execProtection;
    root.querySelector('.hero-title').textContent =
      !health ? '正在连接……' : pending.length ? `有 ${pending.length} 个威胁待处理` : protectedWell ? '电脑处于保护之中' : '部分防护未开启';
    root.querySelector('.hero').className = `hero ${!health ? '' : pending.length || !protectedWell ? 'hero-warn' : 'hero-ok'}`;
    root.querySelector('.hero-text').textContent = health ? `羽岚离线杀毒防护 · 已连接页面 ${health.sseClients}` : '';
    clear(tiles);
    if (health) {
      tiles.append(
        tile('自启动防护', health.protection ? '已开启' : '已关闭', health.protection, state.protection.autoBlock ? '自动拦截：开' : '自动拦截：关'),
        tile('执行防护', health.execProtection ? '已开启' : '已关闭', health.execProtection),
        tile('目录监控', health.monitoring ? '监控中' : '未开启', undefined, health.monitoring ? state.monitor.watchDir : ''),
        tile('叙事模式', health.aiModeCn, undefined, health.modelName || health.aiEngine),
        tile('扫描', health.scanning ? '扫描中' : '空闲', undefined),
        tile('待处理威胁', String(pending.length), pending.length === 0));
    }
    clear(threats);
    const latest = threatsByFile(state.threats).sort((a, b) => b.detectedAtMs - a.detectedAtMs).slice(0, 5);
    if (latest.length === 0) threats.append(h('li', { class: 'muted' }, '没有发现威胁'));
    for (const file of latest) {
      threats.append(h('li', {}, severityBadge(file.severity, file.severityCn), ' ',
        h('a', { href: '#', onclick: (event) => { event.preventDefault(); onShowThreat(file.filePath); } }, file.fileName || file.filePath),
        h('span', { class: 'muted' }, ` · ${formatTime(file.detectedAtMs)}`)));
    }
    clear(alerts);
    const recent = state.feed.filter((e) => e.name === 'protection_alert' || e.name === 'exec_blocked').slice(0, 5);
    if (recent.length === 0) alerts.append(h('li', { class: 'muted' }, '没有实时告警'));
    for (const entry of recent) {
      const text = entry.name === 'exec_blocked' ? `已拦截：${entry.data.fileName}` : `自启动告警（${entry.data.levelCn}）：${entry.data.valueName}`;
      alerts.append(h('li', {}, h('a', { href: '#', onclick: (event) => { event.preventDefault(); onShowProtection(); } }, text),
        h('span', { class: 'muted' }, ` · ${formatTime(entry.at)}`)));
    }
  }
  return { render };
}
