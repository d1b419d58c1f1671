// The live page: follows the server that `view --serve` runs. Each notice on
// the update stream says a compile finished; the page then fetches the new
// data and hands it to scenarioView.setData, which keeps the zoom, the
// position, the cursor and the selection. The toolbar shows the state.
// After a save whose check failed the page shows the last good picture; a
// button beside the state shows that save's own (partial) result instead,
// and back.
"use strict";

(function () {
  const status = document.createElement("span");
  status.id = "live-status";
  status.setAttribute("role", "status");
  document.getElementById("toolbar").append(status);
  const toggle = document.createElement("button");
  toggle.id = "live-failed-toggle";
  toggle.hidden = true;
  document.getElementById("toolbar").append(toggle);
  let showingFailed = false;
  const label = () => {
    toggle.textContent = showingFailed ? "Show the last good picture" : "Show this save's result";
  };
  toggle.addEventListener("click", async () => {
    const wanted = !showingFailed;
    try {
      const response = await fetch(wanted ? "/failed-data" : "/data", { cache: "no-store" });
      if (!response.ok) throw new Error("the server answered " + response.status);
      window.scenarioView.setData(await response.json());
      showingFailed = wanted;
      document.body.dataset.showingFailed = wanted ? "1" : "0";
      label();
      if (shownNotice) {
        show(shownNotice.state, (wanted ? "This save's check failed: showing its own result, which is partial"
                                        : shownNotice.message) + " \u00b7 " + clock());
      }
    } catch (e) {
      show("lost", "Could not load the result: " + e.message);
    }
  });

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
  let shownNotice = null;  // the notice of the version on the page

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
        showingFailed = false;
        document.body.dataset.showingFailed = "0";
        toggle.hidden = !n.withFailedResult;
        label();
        shown = n.version;
        shownNotice = n;
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
