// The page's service worker: it keeps every file of one build in a cache of
// that build's own, so that a second visit starts without the network and
// the page can be installed. build-web.sh writes the build's version and
// files in.
// A newer build's worker fills its own cache beside this one and waits; the
// page offers to reload, and only then does it take over and drop the old
// cache, so old and new files are never mixed.
const Version = "@VERSION@";
const CacheName = "talvox-" + Version;
// The page's address and every file of the build, which build-web.sh lists.
const Files = ["./"].concat([/* @FILES@ */]);

self.addEventListener("install", (event) => {
  // A fresh copy of each file, not the browser's HTTP cache's.
  event.waitUntil(caches.open(CacheName).then((cache) =>
    cache.addAll(Files.map((file) => new Request(file, { cache: "reload" })))));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith("talvox-") && name !== CacheName).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener("message", (event) => {
  if (event.data === "take over") self.skipWaiting();
});

// This build's copy first; the network for anything it does not hold.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(CacheName).then((cache) =>
    cache.match(event.request, { ignoreSearch: true }).then((kept) => kept || fetch(event.request))));
});
