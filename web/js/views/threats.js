// Threats: every reported file, sortable and filterable, with a detail panel that
// tells why it was flagged and lets the user quarantine or delete it.
import { api, post, del } from '../api.js';
import { h, clear, formatTime, formatSize, severityBadge, SEVERITY_ORDER, confirmAction, attempt, toast } from '../dom.js';
import { state, changed, threatsByFile, fileState, signingLabel } from '../state.js';

const COLUMNS = [
  { key: 'severity', label: '严重性', value: (f) => SEVERITY_ORDER[f.severity] ?? 1 },
  { key: 'type', label: '类型', value: (f) => kinds(f) },
  { key: 'rule', label: '规则', value: (f) => rules(f) },
  { key: 'file', label: '文件', value: (f) => f.filePath },
  { key: 'signing', label: '签名', value: (f) => f.signatureStatus || '' },
  { key: 'time', label: '发现时间', value: (f) => f.detectedAtMs },
  { key: 'state', label: '状态', value: (f) => fileState(f).label },
];

const unique = (values) => [...new Set(values.filter(Boolean))];
const kinds = (file) => unique(file.records.map((r) => r.typeCn || r.type)).join('、');
const rules = (file) => unique(file.records.map((r) => r.ruleName)).join('、');

export async function refreshThreats() {
  const reply = await api('/api/threats');
  state.threats = reply.threats || [];
  changed();
}

export async function actOnFile(file, action) {
  const quarantine = action === 'quarantine';
  const confirmed = await confirmAction(
    quarantine ? '隔离文件' : '删除文件',
    quarantine ? `将把文件移入隔离区，之后可以在“隔离区”中恢复：\n${file.filePath}`
               : `将永久删除此文件，无法恢复：\n${file.filePath}`,
    quarantine ? '隔离' : '删除', !quarantine);
  if (!confirmed) return;
  const reply = await attempt(() => post(quarantine ? '/api/quarantine' : '/api/delete', { filePath: file.filePath }));
  if (!reply) return;
  if (reply.status === 'ok') {
    toast(quarantine ? `已隔离：${file.fileName}` : `已删除：${file.fileName}`);
  } else {
    toast(quarantine ? `隔离失败：${file.filePath}` : `删除失败：${file.filePath}`, 'error');
  }
}

export function createThreatsView(root) {
  let sortKey = 'time';
  let descending = true;
  let selected = null;
  const search = h('input', { type: 'search', placeholder: '按文件或规则筛选', 'aria-label': '筛选' });
  const severity = h('select', { 'aria-label': '严重性' },
    h('option', { value: '' }, '全部严重性'), h('option', { value: 'Critical' }, '严重'),
    h('option', { value: 'High' }, '高危'), h('option', { value: 'Medium' }, '中危'), h('option', { value: 'Low' }, '低危'));
  const stateFilter = h('select', { 'aria-label': '状态' },
    h('option', { value: '' }, '全部状态'), h('option', { value: 'pending' }, '待处理'),
    h('option', { value: 'quarantined' }, '已隔离'), h('option', { value: 'deleted' }, '已删除'));
  for (const control of [search, severity, stateFilter]) control.addEventListener('input', () => render());
  const clearButton = h('button', { class: 'button', onclick: async () => {
    if (!(await confirmAction('清空威胁列表', '只清空列表记录，不会改动任何文件。清空后，列表中的文件将无法再从这里隔离或删除。', '清空'))) return;
    if (await attempt(() => del('/api/threats'))) {
      state.threats = [];
      selected = null;
      changed();
    }
  } }, '清空列表');
  const head = h('tr');
  const body = h('tbody');
  const table = h('table', { class: 'table threats-table' }, h('thead', {}, head), body);
  const detail = h('aside', { class: 'detail', 'aria-live': 'polite' });
  const count = h('span', { class: 'muted' });
  root.append(
    h('div', { class: 'toolbar' }, search, severity, stateFilter, count, h('div', { class: 'spacer' }), clearButton),
    h('div', { class: 'split' }, h('div', { class: 'table-wrap' }, table), detail));

  for (const column of COLUMNS) {
    const cell = h('th', { scope: 'col', tabindex: 0, dataset: { key: column.key } }, column.label);
    const sort = () => {
      descending = sortKey === column.key ? !descending : column.key === 'time' || column.key === 'severity';
      sortKey = column.key;
      render();
    };
    cell.addEventListener('click', sort);
    cell.addEventListener('keydown', (event) => event.key === 'Enter' && sort());
    head.append(cell);
  }

  function visibleFiles() {
    const needle = search.value.trim().toLowerCase();
    const column = COLUMNS.find((c) => c.key === sortKey);
    return threatsByFile(state.threats)
      .filter((f) => !needle || f.filePath.toLowerCase().includes(needle) || rules(f).toLowerCase().includes(needle))
      .filter((f) => !severity.value || f.severity === severity.value)
      .filter((f) => !stateFilter.value || fileState(f).key === stateFilter.value)
      .sort((a, b) => {
        const x = column.value(a);
        const y = column.value(b);
        const order = x < y ? -1 : x > y ? 1 : 0;
        return descending ? -order : order;
      });
  }

  function renderDetail(file) {
    clear(detail);
    if (!file) {
      detail.append(h('p', { class: 'muted' }, '选择一行查看检测详情与 AI 研判。'));
      return;
    }
    const status = fileState(file);
    const lead = file.records.slice().sort((a, b) => (SEVERITY_ORDER[b.severity] ?? 1) - (SEVERITY_ORDER[a.severity] ?? 1))[0];
    detail.append(
      h('h3', {}, file.fileName || file.filePath),
      h('dl', { class: 'facts' },
        h('dt', {}, '路径'), h('dd', { class: 'path' }, file.filePath),
        h('dt', {}, '大小'), h('dd', {}, formatSize(file.fileSize)),
        h('dt', {}, 'SHA-256'), h('dd', { class: 'mono' }, file.sha256 || '—'),
        h('dt', {}, '签名'), h('dd', {}, signingLabel(file.signatureStatus) + (file.signerName ? `（${file.signerName}）` : '')),
        h('dt', {}, '状态'), h('dd', {}, h('span', { class: `state state-${status.key}` }, status.label))),
      h('h4', {}, '检出项'),
      h('ul', { class: 'reasons' }, file.records.map((r) => h('li', {},
        severityBadge(r.severity, r.severityCn), ' ', h('strong', {}, r.ruleName), ` · ${r.typeCn || r.type}`,
        h('div', { class: 'muted' }, r.description)))),
      h('h4', {}, 'AI 研判'),
      h('p', { class: 'summary' }, lead.aiSummary || '—'),
      lead.aiStory ? h('p', { class: 'story' }, lead.aiStory) : null,
      lead.aiSuggestions && lead.aiSuggestions.length
        ? h('div', {}, h('h4', {}, '处置建议'), h('ol', { class: 'suggestions' }, lead.aiSuggestions.map((s) => h('li', {}, s))))
        : null,
      h('div', { class: 'actions' },
        h('button', { class: 'button primary', disabled: status.key !== 'pending', onclick: () => actOnFile(file, 'quarantine') }, '隔离'),
        h('button', { class: 'button danger', disabled: status.key !== 'pending', onclick: () => actOnFile(file, 'delete') }, '删除')));
  }

  function render() {
    for (const cell of head.children) {
      cell.classList.toggle('sorted', cell.dataset.key === sortKey);
      cell.dataset.direction = cell.dataset.key === sortKey ? (descending ? 'desc' : 'asc') : '';
    }
    const files = visibleFiles();
    count.textContent = `${files.length} 个文件`;
    clear(body);
    if (files.length === 0) {
      body.append(h('tr', {}, h('td', { colspan: COLUMNS.length, class: 'empty' }, state.threats.length ? '没有符合筛选的记录' : '尚未发现威胁')));
    }
    for (const file of files) {
      const status = fileState(file);
      const row = h('tr', { tabindex: 0, class: file.filePath === selected ? 'selected' : '', dataset: { path: file.filePath } },
        h('td', {}, severityBadge(file.severity, file.severityCn)),
        h('td', {}, kinds(file)),
        h('td', {}, rules(file)),
        h('td', { class: 'path', title: file.filePath }, file.filePath),
        h('td', {}, signingLabel(file.signatureStatus)),
        h('td', {}, formatTime(file.detectedAtMs)),
        h('td', {}, h('span', { class: `state state-${status.key}` }, status.label)));
      const select = () => {
        selected = file.filePath;
        render();
      };
      row.addEventListener('click', select);
      row.addEventListener('keydown', (event) => event.key === 'Enter' && select());
      body.append(row);
    }
    renderDetail(threatsByFile(state.threats).find((f) => f.filePath === selected));
  }

  return { render, select: (path) => { selected = path; render(); } };
}
