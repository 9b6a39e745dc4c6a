// Protection: the three real-time protections and what they report, live.
import { api, post } from '../api.js';
import { h, clear, formatTime, attempt, toast } from '../dom.js';
import { state, changed } from '../state.js';

export async function refreshProtection() {
  const [protection, exec, monitor] = await Promise.all([
    api('/api/protection/status'), api('/api/exec-protection/status'), api('/api/monitor/status')]);
  state.protection = protection;
  state.execProtection = exec;
  state.monitor = monitor;
  changed();
}

function toggle(label, description, onChange) {
  const input = h('input', { type: 'checkbox', role: 'switch' });
  input.addEventListener('change', () => onChange(input.checked, input));
  return { input, element: h('label', { class: 'switch-row' }, h('span', { class: 'switch' }, input, h('span', { class: 'slider' })),
                             h('span', {}, h('strong', {}, label), h('span', { class: 'muted block' }, description))) };
}

function feedItem(entry) {
  const { name, data } = entry;
  if (name === 'protection_alert') {
    const blocked = data.autoBlock
      ? (data.blocked ? `已自动拦截：撤销自启动项${data.autostartRevoked ? '成功' : '未成功'}，结束进程 ${data.procKilled} 个`
                      : '自动拦截已开启，本次未拦截')
      : '未开启自动拦截';
    return h('li', { class: `feed-item level-${String(data.level).toLowerCase()}` },
      h('div', { class: 'feed-head' }, h('strong', {}, '自启动告警'), h('span', { class: `badge level-${String(data.level).toLowerCase()}` },
        `${data.levelCn} · 风险分 ${data.riskScore}`), h('span', { class: 'muted' }, formatTime(data.timestampMs))),
      h('div', { class: 'path' }, `位置：${data.target}`),
      h('div', { class: 'path' }, `命令：${data.command}`),
      data.aiSummary ? h('div', {}, `AI 研判：${data.aiSummary}`) : null,
      data.aiStory ? h('details', {}, h('summary', {}, '攻击链叙述'), h('p', {}, data.aiStory),
        data.aiSuggestions && data.aiSuggestions.length ? h('ol', {}, data.aiSuggestions.map((s) => h('li', {}, s))) : null) : null,
      h('div', { class: data.blocked ? 'blocked' : 'muted' }, blocked));
  }
  if (name === 'exec_blocked') {
    return h('li', { class: 'feed-item level-high' },
      h('div', { class: 'feed-head' }, h('strong', {}, '已拦截可疑程序'), h('span', { class: 'muted' }, formatTime(data.timestampMs))),
      h('div', { class: 'path' }, data.path),
      h('div', {}, `${data.ruleName}：${data.description}`),
      h('div', { class: data.terminated ? 'blocked' : 'muted' }, data.terminated ? '已终结该进程' : '终结未成功（可能需要管理员权限）'));
  }
  if (name === 'monitor_event') {
    return h('li', { class: 'feed-item' },
      h('div', { class: 'feed-head' }, h('strong', {}, `文件${data.action}`), h('span', { class: 'muted' }, formatTime(data.timestampMs))),
      h('div', { class: 'path' }, data.filePath));
  }
  return h('li', { class: 'feed-item muted' }, name);
}

export function createProtectionView(root) {
  const autostart = toggle('自启动防护', '监视开机自启动项的写入，分析攻击链并告警', async (on, input) => {
    const reply = await attempt(() => post('/api/protection', { action: on ? 'start' : 'stop' }));
    if (reply) Object.assign(state.protection, reply);
    input.checked = state.protection.running;
    changed();
  });
  const autoBlock = toggle('自动拦截', '高危攻击链出现时自动撤销自启动项并结束相关进程（需要管理员权限）', async (on, input) => {
    const reply = await attempt(() => post('/api/protection', { action: 'autoblock', enabled: on }));
    if (reply && reply.status === 'elevating') {
      state.elevating = true;
      toast('正在请求管理员权限以开启自动拦截；确认后程序会以管理员身份重新启动。');
    } else if (reply) {
      state.elevating = false;
      Object.assign(state.protection, reply);
    }
    input.checked = state.protection.autoBlock;
    changed();
  });
  const exec = toggle('执行防护', '检查每个新启动且未经有效签名的程序，发现威胁立即结束它', async (on, input) => {
    const reply = await attempt(() => post('/api/exec-protection', { action: on ? 'start' : 'stop' }));
    if (reply) state.execProtection = { running: reply.running };
    input.checked = state.execProtection.running;
    changed();
  });
  const elevating = h('p', { class: 'notice' });
  const monitorPath = h('input', { type: 'text', class: 'path-input', placeholder: '要监控的文件夹', 'aria-label': '监控文件夹' });
  const monitorState = h('span', { class: 'muted' });
  const monitorButton = h('button', { class: 'button primary', type: 'submit' }, '开始监控');
  const monitorForm = h('form', { class: 'scan-form', onsubmit: async (event) => {
    event.preventDefault();
    if (state.monitor.running) {
      if (await attempt(() => post('/api/monitor', { action: 'stop' }))) state.monitor.running = false;
    } else {
      const reply = await attempt(() => post('/api/monitor', { action: 'start', path: monitorPath.value.trim() }));
      if (reply) state.monitor = { running: true, watchDir: reply.path };
    }
    changed();
  } }, monitorPath, monitorButton, monitorState);
  const feed = h('ul', { class: 'feed' });
  root.append(
    h('div', { class: 'card' }, autostart.element, autoBlock.element, elevating, exec.element),
    h('div', { class: 'card' }, h('h3', {}, '目录监控'), h('p', { class: 'muted' }, '监控一个文件夹（含子文件夹），新建或修改的程序和脚本会被立即扫描。'), monitorForm),
    h('div', { class: 'card' }, h('h3', {}, '实时事件'), feed));

  function render() {
    autostart.input.checked = state.protection.running;
    autoBlock.input.checked = state.protection.autoBlock;
    exec.input.checked = state.execProtection.running;
    elevating.textContent = state.elevating && !state.protection.autoBlock ? '已请求管理员权限：若未出现提示或已取消，自动拦截保持关闭。' : '';
    elevating.hidden = !elevating.textContent;
    monitorButton.textContent = state.monitor.running ? '停止监控' : '开始监控';
    monitorPath.disabled = state.monitor.running;
    if (state.monitor.watchDir && (state.monitor.running || !monitorPath.value)) monitorPath.value = state.monitor.watchDir;
    monitorState.textContent = state.monitor.running ? `正在监控：${state.monitor.watchDir}` : '未开启';
    clear(feed);
    if (state.feed.length === 0) feed.append(h('li', { class: 'muted' }, '还没有实时事件'));
    for (const entry of state.feed.slice(0, 100)) feed.append(feedItem(entry));
  }
  return { render };
}
