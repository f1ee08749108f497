// Stands for particles-data.js as newer emscripten's file packager writes it, for the page's
// tests: the data package is fetched with fetch(), and a failed download is a rejected promise
// that nothing handles, where the older packager throws from an XMLHttpRequest handler (an error
// event). The page must say so either way.
var Module = typeof Module !== 'undefined' ? Module : {};
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  Module.addRunDependency('datafile_particles.data');
});
fetch('particles.data').then(function (response) {
  if (!response.ok) return Promise.reject(new Error(response.status + ': ' + response.url));
});
