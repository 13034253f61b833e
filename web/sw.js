// Keeps the page and its icons on the device after one visit, so that the
// installed page opens, and fixes files, with no network at all. The build
// names the cache after the page's own hash: a new page brings a new cache,
// and the old one goes.
const cacheName = 'prcfix-@PAGE_HASH@';
const files = [
    'prcfix.html',
    'manifest.webmanifest',
    'icons/favicon.png',
    'icons/icon-192.png',
    'icons/icon-512.png',
    'icons/icon-maskable-512.png',
];

self.addEventListener('install', event => {
    event.waitUntil(caches.open(cacheName)
        .then(cache => cache.addAll(files))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
    event.waitUntil(caches.keys()
        .then(names => Promise.all(names
            .filter(name => name.startsWith('prcfix-') && name !== cacheName)
            .map(name => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// The page's own files come from the cache; the folder itself means the
// page. Anything else goes to the network as it would without this worker.
self.addEventListener('fetch', event => {
    const url = new URL(event.request.url);
    if (event.request.method !== 'GET' || url.origin !== self.location.origin)
        return;
    const request = url.pathname.endsWith('/') ? 'prcfix.html' : event.request;
    event.respondWith(caches.open(cacheName)
        .then(cache => cache.match(request, { ignoreSearch: true }))
        .then(cached => cached || fetch(event.request)));
});
