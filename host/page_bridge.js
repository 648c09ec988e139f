// The page side of the host: every <object> naming the control's class gets
// the control's members (and nothing else), calls travel to the host over the
// web channel in page order, and the control's events reach the page's
// <script for event> blocks and the element as DOM events, with their
// arguments. The host puts VELKO_CLASSID, VELKO_MEMBERS and VELKO_EVENTS
// (each event's parameter names) in front of this file.
(function () {
  "use strict";
  const bare = (text) => String(text || "").trim().replace(/^clsid:/i, "").replace(/[{}]/g, "").toUpperCase();
  const wanted = bare(VELKO_CLASSID);
  const controls = new Map();  // element -> state
  const byKey = new Map();     // key -> state
  let nextKey = 1;
  let host = null;             // the host's bridge once the channel is up
  let started = false;         // the objects have been sent to the host
  const waiting = [];          // sends made before both
  let unanswered = 0;          // calls made and not yet answered
  const kMaxUnanswered = 1000;

  function flush() {
    if (host && started) for (const run of waiting.splice(0)) run(host);
  }
  function send(run) {
    waiting.push(run);
    flush();
  }

  function paramsOf(element) {
    const values = [];
    for (const child of element.children)
      if (child.localName === "param" && child.getAttribute("name"))
        values.push([child.getAttribute("name"), child.getAttribute("value") || ""]);
    return values;
  }

  // The page sees its own writes at once; the control's answer (which may
  // cut a value) replaces them when it comes.
  function addMembers(element, state) {
    for (const member of VELKO_MEMBERS) {
      if (member.kind === "reader") {
        Object.defineProperty(element, member.name, {
          configurable: false, enumerable: true, get: () => state.values[member.name],
        });
      } else if (member.kind === "property") {
        Object.defineProperty(element, member.name, {
          configurable: false, enumerable: true,
          get: () => state.values[member.name],
          set: (value) => {
            state.values[member.name] = String(value);
            call(state, member.name, "put", [String(value)]).then(
              () => call(state, member.name, "get", []).then((got) => { state.values[member.name] = got; }),
              () => {});
          },
        });
      } else {
        Object.defineProperty(element, member.name, {
          configurable: false, enumerable: true, writable: false,
          value: (...args) => call(state, member.name, "call", args.slice(0, member.arity).map(String)),
        });
      }
    }
  }

  // The control says "code: text" when a call cannot be done: the error
  // carries both apart.
  function failure(name, text) {
    const error = new Error(name + ": " + text);
    const coded = /^([a-z][a-z-]*): (.*)$/s.exec(text);
    error.code = coded ? coded[1] : "failed";
    error.text = coded ? coded[2] : text;
    return error;
  }

  // A promise of the member's result (a list arrives as an array); a failure
  // rejects. A page that calls without waiting is refused, not queued forever.
  function call(state, name, kind, args) {
    if (unanswered >= kMaxUnanswered)
      return Promise.reject(failure(name, "too many calls are waiting for the control"));
    const member = VELKO_MEMBERS.find((m) => m.name === name);
    unanswered++;
    return new Promise((resolve, reject) => send((bridge) => bridge.invoke(state.key, name, kind, args, (answer) => {
      unanswered--;
      if (!answer.ok) reject(failure(name, answer.error));
      else resolve(member && member.list ? JSON.parse(answer.value) : answer.value);
    })));
  }

  // The blocks of each event, found again once the document has changed.
  let blocks = null;
  function handlersFor(state, event) {
    if (!blocks) blocks = document.querySelectorAll("script[for][event]");
    const found = [];
    for (const script of blocks) {
      const target = script.getAttribute("for").trim();
      const written = /^\s*([A-Za-z_]\w*)\s*(?:\(([^)]*)\))?\s*$/.exec(script.getAttribute("event"));
      if (!written || written[1] !== event) continue;
      if (target !== state.element.id && target !== state.element.getAttribute("name")) continue;
      found.push(script);
    }
    return found;
  }

  // Each block is compiled once (a flood of messages runs it many times).
  // event="OnMessage(w, who, text)" names the arguments as the block sees
  // them; a bare event name gives them their declared names.
  const compiled = new WeakMap();
  function handlerOf(script, event) {
    if (!compiled.has(script)) {
      const written = /\(([^)]*)\)/.exec(script.getAttribute("event"));
      const named = (written ? written[1] : "").split(",").map((p) => p.trim()).filter((p) => p);
      compiled.set(script, new Function(...(named.length ? named : VELKO_EVENTS[event] || []), script.text));
    }
    return compiled.get(script);
  }

  function fire(state, event, args, values) {
    Object.assign(state.values, values || {});
    for (const script of handlersFor(state, event)) {
      try {
        handlerOf(script, event).apply(state.element, args);
      } catch (error) {
        console.error("<script for=\"" + script.getAttribute("for") + "\" event=\"" + event + "\">: " + error);
      }
    }
    const detail = {};
    (VELKO_EVENTS[event] || []).forEach((param, i) => { detail[param] = args[i]; });
    state.element.dispatchEvent(new CustomEvent(event, { bubbles: false, detail: detail }));
  }

  function report(state) {
    const box = state.element.getBoundingClientRect();
    const shown = state.element.isConnected && box.width > 0 && box.height > 0 &&
        getComputedStyle(state.element).visibility !== "hidden";
    const view = document.documentElement;
    const place = [Math.round(box.left), Math.round(box.top), Math.round(box.width), Math.round(box.height), shown,
                   view.clientWidth, view.clientHeight];
    if (state.place && place.every((v, i) => v === state.place[i])) return;
    state.place = place;
    send((bridge) => bridge.place(state.key, ...place));
  }

  // Nothing polls: every change that can move an object (layout, style,
  // scrolling, the view's size, a picture or font arriving) asks for one
  // report of all boxes in the next frame, so an idle page costs no wake-ups.
  let reportAsked = false;
  function reportSoon() {
    if (reportAsked) return;
    reportAsked = true;
    requestAnimationFrame(() => {
      reportAsked = false;
      for (const state of controls.values()) if (state.attached) report(state);
    });
  }

  // The host sends only the events the page handles: those of its
  // <script for> blocks and of the listeners added to the element.
  function announce(state, more) {
    const names = new Set(more || []);
    for (const name of Object.keys(VELKO_EVENTS))
      if (handlersFor(state, name).length) names.add(name);
    const fresh = [...names].filter((name) => name in VELKO_EVENTS && !state.announced.has(name));
    if (!fresh.length) return;
    for (const name of fresh) state.announced.add(name);
    send((bridge) => bridge.listen(state.key, fresh));
  }

  function adopt(element) {
    if (controls.has(element) || bare(element.getAttribute("classid")) !== wanted) return;
    const state = { key: nextKey++, element: element, values: {}, place: null, announced: new Set() };
    controls.set(element, state);
    byKey.set(state.key, state);
    addMembers(element, state);
    const add = element.addEventListener;
    element.addEventListener = function (type, ...rest) {
      if (state.attached) announce(state, [type]); else state.early = (state.early || []).concat([type]);
      return add.call(this, type, ...rest);
    };
  }

  // The attach goes ahead of every call the page made while it loaded.
  function attachment(state) {
    for (const [name, value] of paramsOf(state.element)) {
      const member = VELKO_MEMBERS.find((m) => m.kind === "property" && m.name.toUpperCase() === name.toUpperCase());
      if (member && !(member.name in state.values)) state.values[member.name] = value;
    }
    const label = state.element.id || state.element.getAttribute("name") || "";
    // An object the engine cannot run lays out inline, where its size is lost.
    if (getComputedStyle(state.element).display === "inline") state.element.style.display = "inline-block";
    state.attached = true;
    return (bridge) => bridge.attach(state.key, label, paramsOf(state.element), (answer) => {
      if (!answer.ok) {
        console.error("the control " + label + " cannot be created: " + answer.error);
        return;
      }
      Object.assign(state.values, answer.values);
      announce(state, state.early);
      for (const event of answer.events) fire(state, event.name, event.args, event.values);
    });
  }

  function scan(root) {
    if (root.localName === "object") adopt(root);
    if (root.querySelectorAll) for (const element of root.querySelectorAll("object")) adopt(element);
  }

  // Objects are given their members as the parser inserts them, so that the
  // page's own scripts further down can already call them.
  new MutationObserver((changes) => {
    blocks = null;
    for (const change of changes) for (const node of change.addedNodes) if (node.nodeType === 1) scan(node);
    for (const state of controls.values()) if (state.attached) announce(state);
    reportSoon();
  }).observe(document, { childList: true, subtree: true, attributes: true, characterData: true });

  function start() {
    scan(document);
    const foreign = [...document.querySelectorAll("object")].filter((element) => !controls.has(element));
    for (const element of foreign)
      console.error("an <object> with classid \"" + (element.getAttribute("classid") || "") +
                    "\" is not the control (clsid:" + wanted + ")");
    if (controls.size === 0) console.error("the page embeds no control: no <object classid=\"clsid:" + wanted + "\">");
    waiting.unshift(...[...controls.values()].map(attachment), (bridge) => bridge.started(controls.size));
    started = true;
    flush();
    const sizes = new ResizeObserver(reportSoon);
    for (const state of controls.values()) sizes.observe(state.element);
    sizes.observe(document.documentElement);
    if (document.body) sizes.observe(document.body);
    addEventListener("scroll", reportSoon, true);
    addEventListener("resize", reportSoon);
    addEventListener("load", reportSoon, true);
    document.addEventListener("visibilitychange", reportSoon);
    if (document.fonts) document.fonts.addEventListener("loadingdone", reportSoon);
    reportSoon();
  }

  // OnDestroy is heard once: from the host, or, where the document goes
  // before the host's word can reach it (a blank page), as it goes.
  function destroy(state) {
    if (state.destroyed) return;
    state.destroyed = true;
    fire(state, "OnDestroy", []);
  }
  window.__velkoFire = (batch) => {
    for (const event of batch) {
      const state = byKey.get(event.key);
      if (!state || state.destroyed) continue;
      if (event.name === "OnDestroy") destroy(state); else fire(state, event.name, event.args, event.values);
    }
  };
  addEventListener("pagehide", () => byKey.forEach(destroy));
  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", start); else start();
  new QWebChannel(qt.webChannelTransport, (channel) => {
    host = channel.objects.velkoHost;
    flush();
  });
})();
