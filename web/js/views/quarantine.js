// Quarantine: what is in the quarantine folder, restore and permanent deletion.
import { api, post } from '../api.js';
import { h, clear, formatTime, formatSize, confirmAction, attempt, toast } from '../dom.js';
import { state, changed } from '../state.js';

export async function refreshQuarantine() {
  const reply = await api('/api/quarantine');
  state.quarantine = reply.items || [];
  changed();
}

export function createQuarantineView(root) {
  const body = h('tbody');
  root.append(
    h('p', { class: 'muted' }, '隔离区中的文件已失去执行权限，不会运行。误报的文件可以恢复到原位置；确认是威胁的可以永久删除。'),
    h('div', { class: 'table-wrap' }, h('table', { class: 'table' },
      h('thead', {}, h('tr', {}, ['隔离文件', '原始位置', '大小', '隔离时间', ''].map((t) => h('th', { scope: 'col' }, t)))),
      body)));

  async function restore(item) {
    if (!(await confirmAction('恢复文件', `将把文件恢复到原位置：\n${item.originalPath}`, '恢复'))) return;
    const reply = await attempt(() => post('/api/quarantine/restore', { name: item.name }));
    if (reply) {
      toast(`已恢复：${reply.originalPath}`);
      await attempt(refreshQuarantine);
    }
  }

  async function purge(item) {
    if (!(await confirmAction('永久删除', `将永久删除隔离区中的文件，无法恢复：\n${item.name}`, '永久删除', true))) return;
    if (await attempt(() => post('/api/quarantine/purge', { name: item.name }))) {
      toast(`已永久删除：${item.name}`);
      await attempt(refreshQuarantine);
    }
  }

  function render() {
    clear(body);
    if (state.quarantine.length === 0) body.append(h('tr', {}, h('td', { colspan: 5, class: 'empty' }, '隔离区是空的')));
    for (const item of state.quarantine) {
      body.append(h('tr', { dataset: { name: item.name } },
        h('td', { class: 'path' }, item.name),
        h('td', { class: 'path' }, item.originalPath || h('span', { class: 'muted' }, '未知（早期隔离的文件，无法恢复）')),
        h('td', {}, formatSize(item.size)),
        h('td', {}, formatTime(item.quarantinedAtMs)),
        h('td', { class: 'actions' },
          h('button', { class: 'button', disabled: !item.originalPath, onclick: () => restore(item) }, '恢复'),
          h('button', { class: 'button danger', onclick: () => purge(item) }, '永久删除'))));
    }
  }
  return { render };
}
