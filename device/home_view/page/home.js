// The home screen in the page: the server draws the screen and pushes each new drawing and
// the open dialogs as server-sent events; this script shows them, and sends taps, swipes,
// arrow keys and the person's answers back. Texts of dialogs are set as text, never as
// markup.
'use strict';

const display = document.getElementById('display');
const overlay = document.getElementById('overlay');
const statusLine = document.getElementById('status');
let dialogs = [];
let shownDialog = null;

function say(text) {
  statusLine.textContent = text;
}

function post(path, fields) {
  return fetch(path, {
    method: 'POST',
    headers: {'X-Zelko-Home': '1', 'Content-Type': 'application/x-www-form-urlencoded'},
    body: new URLSearchParams(fields),
  }).then((r) => (r.ok ? null : r.text().then(say)), () => say('the device does not answer'));
}

function screenBox() {
  return display.querySelector('.screen');
}

// The phone at a size that fits the window; taps are measured in the screen's own pixels.
function fit() {
  const screen = screenBox();
  if (!screen) return;
  const glass = document.getElementById('glass');
  glass.style.width = screen.offsetWidth + 'px';
  glass.style.height = screen.offsetHeight + 'px';
  const phone = document.getElementById('phone');
  const frame = document.getElementById('frame');
  const scale = Math.min(1, (innerHeight - 60) / phone.offsetHeight, (innerWidth - 16) / phone.offsetWidth);
  phone.style.transform = 'scale(' + scale + ')';
  frame.style.width = phone.offsetWidth * scale + 'px';
  frame.style.height = phone.offsetHeight * scale + 'px';
}

function screenPoint(ev) {
  const screen = screenBox();
  const r = screen.getBoundingClientRect();
  const k = screen.offsetWidth / r.width;
  return {x: Math.round((ev.clientX - r.left) * k), y: Math.round((ev.clientY - r.top) * k)};
}

function tap(target, ev) {
  const at = screenPoint(ev);
  if (target.closest('[data-softkey]')) {
    const focused = display.querySelector('.plugin.focused');
    if (!focused) return;
    post('/tap', {plugin: focused.dataset.plugin, position: focused.dataset.position,
                  page: focused.dataset.page, softkey: '2', x: at.x, y: at.y});
    return;
  }
  const plugin = target.closest('.plugin');
  if (!plugin) return;
  const fields = {plugin: plugin.dataset.plugin, position: plugin.dataset.position,
                  page: plugin.dataset.page, x: at.x, y: at.y};
  const element = target.closest('[data-el]');
  if (element) fields.element = element.dataset.el;
  post('/tap', fields);
}

// A swipe moves the focus the way the finger pulls the screen: to the left shows the next
// page, upwards the next plugin.
function swipe(dx, dy) {
  if (Math.abs(dx) > Math.abs(dy)) post('/key', {key: dx < 0 ? 'right' : 'left'});
  else post('/key', {key: dy < 0 ? 'down' : 'up'});
}

let pressed = null;
display.addEventListener('pointerdown', (ev) => {
  pressed = {x: ev.clientX, y: ev.clientY, target: ev.target};
  ev.preventDefault();
});
display.addEventListener('pointerup', (ev) => {
  if (!pressed) return;
  const start = pressed;
  pressed = null;
  const dx = ev.clientX - start.x;
  const dy = ev.clientY - start.y;
  if (Math.hypot(dx, dy) > 40) swipe(dx, dy);
  else tap(start.target, ev);
});

const arrows = {ArrowLeft: 'left', ArrowRight: 'right', ArrowUp: 'up', ArrowDown: 'down'};
document.addEventListener('keydown', (ev) => {
  if (!arrows[ev.key] || !overlay.hidden) return;
  ev.preventDefault();
  post('/key', {key: arrows[ev.key]});
});

function node(tag, className, text) {
  const n = document.createElement(tag);
  if (className) n.className = className;
  if (text !== undefined) n.textContent = text;
  return n;
}

function answer(dialog, text) {
  overlay.hidden = true;
  overlay.replaceChildren();
  post('/answer', {dialog: dialog.id, answer: text});
}

function questionBox(d) {
  const box = node('div', 'box');
  box.append(node('h2', '', d.dialog.caption), node('p', '', d.dialog.text));
  const buttons = node('div', 'buttons');
  for (const [label, reply] of [['Yes', 'yes'], ['No', 'no']]) {
    const b = node('button', '', label);
    b.onclick = () => answer(d, reply);
    buttons.append(b);
  }
  box.append(buttons);
  return box;
}

// A menu opens where the screen was touched; a submenu takes its place, with a way back.
function menuBox(d) {
  const menu = node('div', 'menu');
  const level = (items, path) => {
    menu.replaceChildren();
    if (path.length) {
      const back = node('button', 'back', '\u2039 ' + path[path.length - 1]);
      back.onclick = () => level(parentItems(d.dialog.items, path.slice(0, -1)), path.slice(0, -1));
      menu.append(back);
    }
    for (const item of items) {
      const b = node('button', item.items ? 'sub' : '', item.label);
      b.onclick = (ev) => {
        ev.stopPropagation();
        if (item.items) level(item.items, path.concat(item.label));
        else answer(d, path.concat(item.label).join(' > '));
      };
      menu.append(b);
    }
    place(menu, d.dialog.x, d.dialog.y);
  };
  level(d.dialog.items, []);
  return menu;
}

function parentItems(items, path) {
  for (const label of path) items = items.find((i) => i.label === label).items;
  return items;
}

function place(box, x, y) {
  requestAnimationFrame(() => {
    const w = overlay.clientWidth;
    const h = overlay.clientHeight;
    box.style.left = Math.max(0, Math.min(x, w - box.offsetWidth)) + 'px';
    box.style.top = Math.max(0, Math.min(y, h - box.offsetHeight)) + 'px';
  });
}

function chooserBox(d) {
  const box = node('div', 'chooser');
  box.append(node('h2', '', 'Choose a contact'));
  for (const c of d.dialog.contacts) {
    const b = node('button', '', c.name);
    b.append(node('small', '', c.number));
    b.onclick = () => answer(d, c.oid + ' ' + c.number);
    box.append(b);
  }
  const cancel = node('button', 'back', 'Cancel');
  cancel.onclick = () => answer(d, 'cancel');
  box.append(cancel);
  return box;
}

function showDialog() {
  const d = dialogs[0];
  if (!d) {
    shownDialog = null;
    overlay.hidden = true;
    overlay.replaceChildren();
    return;
  }
  if (shownDialog === d.id && !overlay.hidden) return;
  shownDialog = d.id;
  const box = d.kind === 'question' ? questionBox(d) : d.kind === 'menu' ? menuBox(d) : chooserBox(d);
  overlay.replaceChildren(box);
  overlay.hidden = false;
  // A tap beside a menu closes it without a choice.
  overlay.onclick = d.kind === 'menu' ? (ev) => { if (ev.target === overlay) answer(d, ''); } : null;
}

function connect() {
  const events = new EventSource('/events');
  events.addEventListener('screen', (e) => {
    display.innerHTML = e.data;
    fit();
  });
  events.addEventListener('dialogs', (e) => {
    dialogs = JSON.parse(e.data);
    showDialog();
  });
  events.addEventListener('pong', (e) => {
    window.dispatchEvent(new CustomEvent('zelko-pong', {detail: e.data}));
  });
  events.onopen = () => say('live: taps, swipes and arrow keys reach the device');
  events.onerror = () => say('reconnecting to the device…');
}

addEventListener('resize', fit);
fit();
connect();
