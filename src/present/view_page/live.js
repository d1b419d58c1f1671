// The live page: follows the server that `view --serve` runs. Each notice on
// the update stream says a compile finished; the page then fetches the new
// data and hands it to scenarioView.setData, which keeps the zoom, the
// position, the cursor and the selection. The toolbar shows the state.
"use strict";

(function () {
  const status = document.createElement("span");
  status.id = "live-status";
  status.setAttribute("role", "status");
  document.getElementById("toolbar").append(status);

  function show(state, text) {
    status.className = "live-" + state;
    status.textContent = text;
  }
  function clock() {
    return new Date().toLocaleTimeString("en-GB", { hour12: false });
  }

  let shown = null;    // the version on the page
  let wanted = null;   // the latest notice
  let loading = false;

  async function follow(notice) {
    wanted = notice;
    if (loading) return;
    loading = true;
    try {
      while (wanted.version !== shown) {
        const n = wanted;
        const response = await fetch("/data", { cache: "no-store" });
        if (!response.ok) throw new Error("the server answered " + response.status);
        window.scenarioView.setData(await response.json());
        shown = n.version;
        document.body.dataset.liveVersion = String(n.version);
        show(n.state, n.message + " \u00b7 " + clock());
      }
    } catch (e) {
      show("lost", "Could not load the update: " + e.message);
    }
    loading = false;
  }

  show("waiting", "Connecting\u2026");
  const stream = new EventSource("/events");
  stream.onmessage = (event) => {
    let notice;
    try { notice = JSON.parse(event.data); } catch (e) { return; }
    follow(notice);
  };
  stream.onerror = () => {
    // The browser reconnects by itself; a page whose server ended says so.
    show("lost", "Not connected to the server (is view --serve still running?)");
  };
})();
