"use strict";
// Quorvell's side in Thunderbird. It tells Quorvell's native host when the person
// selects messages in a mail tab (or opens one in a tab or window of its own), and
// answers the host's two requests:
//   {"id":N,"request":"selection"}       what the tab the person looks at shows as
//                                        selected, asked at the moment of a command
//   {"id":N,"request":"raw","message":M} message M as Thunderbird keeps it, base64
// Any other request gets an error answer; nothing it is sent is ever run.

const HOST = "com.brightfold.quorvell";
// getRaw calls at once: enough to keep Thunderbird busy, few enough that a
// thousand selected messages do not all sit in memory together.
const MAX_PARALLEL_RAW = 8;

let port = null;
let retryMs = 1000;

function post(message) {
  if (!port) return;
  try {
    port.postMessage(message);
  } catch (error) {
    console.warn("Quorvell: cannot write to the native host:", error);
  }
}

// The tab the person looks at: the active tab of the window focused last, else
// of the first mail window (a desktop without a window manager focuses none).
async function currentTab() {
  const [focused] = await browser.tabs.query({ active: true, lastFocusedWindow: true });
  if (focused) return focused;
  const [first] = await browser.tabs.query({ active: true, windowType: "normal" });
  return first;
}

function showsMessages(tab) {
  return !!tab && (tab.type === "mail" || tab.type === "messageDisplay");
}

async function selectedHeaders(tab) {
  if (tab.type === "messageDisplay") {
    const shown = await browser.messageDisplay.getDisplayedMessages(tab.id);
    return Array.isArray(shown) ? shown : shown.messages;
  }
  // A long selection comes in pages.
  let page = await browser.mailTabs.getSelectedMessages(tab.id);
  const headers = [...page.messages];
  while (page.id) {
    page = await browser.messages.continueList(page.id);
    headers.push(...page.messages);
  }
  return headers;
}

async function selection() {
  const tab = await currentTab();
  if (!showsMessages(tab)) return { mailTab: false, messages: [] };
  const headers = await selectedHeaders(tab);
  return {
    mailTab: true,
    messages: headers.map((header) => ({
      id: header.id,
      messageId: header.headerMessageId || "",
      folder: header.folder ? header.folder.name || header.folder.path || "" : "",
      read: !!header.read,
      flagged: !!header.flagged,
    })),
  };
}

function base64OfBytes(bytes) {
  let text = "";
  const chunk = 0x8000;
  for (let i = 0; i < bytes.length; i += chunk)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + chunk));
  return btoa(text);
}

// getRaw gives a string of bytes, one character each (or a File, where the
// caller asked for one); a string with wider characters is text, sent as UTF-8.
async function raw(messageId) {
  const data = await browser.messages.getRaw(messageId);
  if (typeof data !== "string") return base64OfBytes(new Uint8Array(await data.arrayBuffer()));
  try {
    return btoa(data);
  } catch (notBytes) {
    return base64OfBytes(new TextEncoder().encode(data));
  }
}

let running = 0;
const waiting = [];
function limited(task) {
  return new Promise((resolve, reject) => {
    waiting.push({ task, resolve, reject });
    pump();
  });
}
function pump() {
  while (running < MAX_PARALLEL_RAW && waiting.length > 0) {
    const { task, resolve, reject } = waiting.shift();
    running++;
    task()
      .then(resolve, reject)
      .finally(() => {
        running--;
        pump();
      });
  }
}

async function onRequest(message) {
  retryMs = 1000;
  if (!message || typeof message !== "object") return;
  if (message.type === "error") {
    console.warn("Quorvell: the native host refused a message:", message.error);
    return;
  }
  const id = message.id;
  if (!Number.isSafeInteger(id)) return;
  try {
    if (message.request === "selection") {
      post(Object.assign({ id }, await selection()));
    } else if (message.request === "raw" && Number.isSafeInteger(message.message)) {
      post({ id, raw: await limited(() => raw(message.message)) });
    } else {
      post({ id, error: "unknown request" });
    }
  } catch (error) {
    post({ id, error: String((error && error.message) || error) });
  }
}

function selected() {
  post({ type: "selected", mailTab: true });
}

// A host that ends (Thunderbird gave it up, or it was stopped) is started again,
// waiting longer after each failure, up to a minute.
function connect() {
  port = browser.runtime.connectNative(HOST);
  port.onMessage.addListener(onRequest);
  port.onDisconnect.addListener((gone) => {
    const why = gone && gone.error ? gone.error.message : "it ended";
    console.warn(`Quorvell: the native host ${HOST} is gone (${why}); trying again in ${retryMs / 1000} s`);
    port = null;
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, 60000);
  });
  post({ type: "hello", version: 1 });
  selectedIfShown();
}

// Thunderbird shows a mail tab: from now on its selection counts.
function selectedIfShown() {
  currentTab().then((tab) => {
    if (showsMessages(tab)) selected();
  });
}

browser.mailTabs.onSelectedMessagesChanged.addListener(selected);
browser.mailTabs.onDisplayedFolderChanged.addListener(selected);
browser.messageDisplay.onMessageDisplayed.addListener(selected);
browser.windows.onCreated.addListener(selectedIfShown);
connect();
