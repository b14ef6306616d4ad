// What the player's WebAssembly takes from the page (player.js passes them in).
mergeInto(LibraryManager.library, {
  page_cos: function (x) { return Math.cos(x); },
  page_sin: function (x) { return Math.sin(x); },
});
