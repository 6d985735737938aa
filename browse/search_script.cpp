// search_script.cpp - search.js, the page's script: the same folding, terms
// and query rules as search_terms.cpp and search_query.cpp, the loading of
// search files as <script> elements (browsers allow nothing else on
// file://), matching, and the result list. Every text from the files goes
// into the page as textContent, never as markup.
#include "browse/search_page.h"

namespace tessaly {

namespace {

constexpr const char* kRules = R"JS("use strict";
// search.js - the archive's offline search (written by Tessaly).
var tessalySearch = (function () {
  var DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  var DIGIT = {};
  for (var d = 0; d < 64; d++) DIGIT[DIGITS.charCodeAt(d)] = d;
  var MAX_NUMBER = 281474976710656; // 2^48
  var MAX_TERM = 24;
  var WORD = /[\p{L}\p{N}]/u;
  var CJK = /[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}\p{Script=Hangul}\u30fc]/u;

  // NFKD, marks dropped, NFC, lower case, final sigma as sigma.
  function fold(text) {
    return text.normalize("NFKD").replace(/\p{M}/gu, "").normalize("NFC").toLowerCase().replace(/\u03c2/g, "\u03c3");
  }

  // emit(term, cjk, pair) for each term of folded text.
  function terms(folded, emit) {
    var word = "", count = 0, previousCjk = null;
    function endWord() { if (count > 0) emit(word, false, false); word = ""; count = 0; }
    for (var ch of folded) {
      if (!WORD.test(ch)) { endWord(); previousCjk = null; }
      else if (CJK.test(ch)) {
        endWord();
        emit(ch, true, false);
        if (previousCjk !== null) emit(previousCjk + ch, true, true);
        previousCjk = ch;
      } else {
        if (count < MAX_TERM) word += ch;
        count++;
        previousCjk = null;
      }
    }
    endWord();
  }

  function chars(text) { return Array.from(text).length; }
  function isBlank(ch) { return ch <= " " || ch === "\u00a0" || ch === "\u3000"; }
  function asciiLower(text) { return text.replace(/[A-Z]/g, function (c) { return String.fromCharCode(c.charCodeAt(0) + 32); }); }
  function startsWithField(part, name) {
    return part.length > name.length && part[name.length] === ":" && asciiLower(part.slice(0, name.length)) === name;
  }

  function parseDay(text) {
    var m = /^([0-9]{4})-([0-9]{2})-([0-9]{2})$/.exec(text);
    if (!m) return null;
    var y = +m[1], mo = +m[2], da = +m[3];
    var days = [31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31];
    var leap = (y % 4 === 0 && y % 100 !== 0) || y % 400 === 0;
    if (mo < 1 || mo > 12 || da < 1 || da > days[mo - 1] || (mo === 2 && da === 29 && !leap)) return null;
    var d = new Date(0);
    d.setUTCFullYear(y, mo - 1, da);
    return Math.floor(d.getTime() / 1000);
  }

  // The conditions of one piece of text; returns the index of the condition
  // of its last term when that is a word that is not CJK, -1 when it is CJK,
  // null when the text has no terms.
  function addWords(text, field, query) {
    var found = [], dropped = [], lastSingle = -1, singleBefore = -1, lastWord = -1;
    terms(fold(text), function (term, cjk, pair) {
      if (pair) { dropped[lastSingle] = true; dropped[singleBefore] = true; }
      if (cjk && !pair) { singleBefore = lastSingle; lastSingle = found.length; }
      lastWord = cjk ? -1 : found.length;
      found.push({ term: field ? ":" + field + term : term, prefix: !!field && !cjk && chars(term) >= 2 });
      dropped.push(false);
      if (!field) query.marks.push({ term: term, cjk: cjk });
    });
    if (found.length === 0) return null;
    var last = -1;
    for (var k = 0; k < found.length; k++) {
      if (dropped[k]) continue;
      if (k === lastWord) last = query.conditions.length;
      query.conditions.push(found[k]);
    }
    return last;
  }

  // Query rules as in search_query.h; throws an Error for an unreadable date.
  function parseQuery(text) {
    var query = { conditions: [], before: null, after: null, marks: [] };
    var lastWord = -1, i = 0;
    function partEnd(j) { while (j < text.length && !isBlank(text[j])) j++; return j; }
    while (i < text.length) {
      if (isBlank(text[i])) { i++; continue; }
      if (text[i] === '"') {
        var close = text.indexOf('"', i + 1);
        var end = close < 0 ? text.length : close;
        addWords(text.slice(i + 1, end), "", query);
        i = end === text.length ? end : end + 1;
        continue;
      }
      var stop = partEnd(i);
      var part = text.slice(i, stop);
      var from = startsWithField(part, "from"), subject = startsWithField(part, "subject");
      if (from || subject) {
        var start = i + (from ? 5 : 8);
        if (start < text.length && text[start] === '"') {
          var closing = text.indexOf('"', start + 1);
          stop = closing < 0 ? text.length : closing;
          start++;
        }
        addWords(text.slice(start, stop), from ? "f" : "s", query);
        i = stop < text.length && text[stop] === '"' ? stop + 1 : stop;
        continue;
      }
      var before = startsWithField(part, "before"), after = startsWithField(part, "after");
      if (before || after) {
        var day = parseDay(part.slice(before ? 7 : 6));
        if (day === null) throw new Error((before ? "before:" : "after:") + " needs a date written YYYY-MM-DD");
        if (before) query.before = day; else query.after = day;
        i = stop;
        continue;
      }
      var last = addWords(part, "", query);
      if (last !== null) lastWord = last;
      i = stop;
    }
    if (lastWord >= 0 && chars(query.conditions[lastWord].term) >= 2) query.conditions[lastWord].prefix = true;
    return query;
  }

  function numbers(code, each) {
    var value = 0, open = false;
    for (var i = 0; i < code.length; i++) {
      var digit = DIGIT[code.charCodeAt(i)];
      if (digit === undefined) throw new Error("bad digit");
      value = value * 32 + (digit & 31);
      if (value >= MAX_NUMBER) throw new Error("number too large");
      open = (digit & 32) !== 0;
      if (!open) { each(value); value = 0; }
    }
    if (open) throw new Error("cut-off number");
  }
  function decodeIds(code, limit, each) {
    if (code.charCodeAt(0) === 33) { // "!": a bitmap
      for (var k = 1; k < code.length; k++) {
        var digit = DIGIT[code.charCodeAt(k)];
        if (digit === undefined) throw new Error("bad digit");
        for (var bit = 0; bit < 6; bit++) {
          if (!(digit & (1 << bit))) continue;
          if ((k - 1) * 6 + bit >= limit) throw new Error("doc number out of range");
          each((k - 1) * 6 + bit);
        }
      }
      return;
    }
    var next = 0;
    numbers(code, function (gap) {
      next += gap;
      if (next >= limit) throw new Error("doc number out of range");
      each(next);
      next++;
    });
  }
  function decodeTimes(code, count) {
    var times = [];
    numbers(code, function (v) {
      if (times.length === 0) times.push(v % 2 === 0 ? v / 2 : -(v - 1) / 2 - 1);
      else times.push(times[times.length - 1] - v);
      if (times.length > count) throw new Error("too many times");
    });
    if (times.length !== count) throw new Error("too few times");
    return times;
  }

  // Code point order (as the C++ sorts UTF-8 bytes), not UTF-16 order.
  function compare(a, b) {
    var n = Math.min(a.length, b.length);
    for (var i = 0; i < n; i++) {
      var x = a.charCodeAt(i), y = b.charCodeAt(i);
      if (x === y) continue;
      if (x >= 0xd800 && x < 0xe000) x += 0x2000; else if (x >= 0xe000) x -= 0x800;
      if (y >= 0xd800 && y < 0xe000) y += 0x2000; else if (y >= 0xe000) y -= 0x800;
      return x - y;
    }
    return a.length - b.length;
  }
  function termFilesFor(segment, term, prefix) {
    var bounds = segment.bounds, lo = 0, hi = bounds.length;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (compare(term, bounds[mid]) < 0) hi = mid; else lo = mid + 1; }
    var shard = lo, shards = [shard];
    if (prefix) while (shard < bounds.length && bounds[shard].startsWith(term)) shards.push(++shard);
    return shards;
  }

  function urlPath(path) {
    var bytes = new TextEncoder().encode(path), out = "";
    var plain = "/-._~!$()*,;=:@+";
    for (var b of bytes) {
      var c = String.fromCharCode(b);
      if ((b >= 97 && b <= 122) || (b >= 65 && b <= 90) || (b >= 48 && b <= 57) || (b < 128 && b !== 0 && plain.indexOf(c) >= 0)) out += c;
      else out += "%" + "0123456789ABCDEF"[b >> 4] + "0123456789ABCDEF"[b & 15];
    }
    return out;
  }

  return { fold: fold, splitTerms: terms, parseQuery: parseQuery, parseDay: parseDay, decodeIds: decodeIds,
           decodeTimes: decodeTimes, compare: compare, termFilesFor: termFilesFor, urlPath: urlPath };
})();
)JS";

constexpr const char* kPage = R"JS(
(function (api) {
  if (typeof document === "undefined") return;
  var BASE = ".tessaly/search/";
  var PAGE = 20;
  var files = {};      // file name -> promise of its data
  var waiting = {};    // call name -> {kind, got, data}
  var loadedFiles = [];
  var segmentData = {}; // segment id -> {times}
  var manifest = null;

  function deliver(kind, name, data) {
    var w = waiting[name];
    if (w && w.kind === kind && !w.got) { w.got = true; w.data = data; }
  }
  api.index = function (data) { deliver("index", "index", data); };
  api.times = function (name, code) { deliver("times", name, code); };
  api.docs = function (name, list) { deliver("docs", name, list); };
  api.terms = function (name, map) { deliver("terms", name, map); };

  function Problem(kind, file) { this.kind = kind; this.file = file; }

  // A search file as a script element; its call hands over the data. A file
  // that is cut off or damaged does not make its call (or makes another),
  // which the load event shows.
  function load(file, kind, name) {
    if (files[file]) return files[file];
    var promise = new Promise(function (resolve, reject) {
      var script = document.createElement("script");
      var entry = { kind: kind, got: false, data: null };
      waiting[name] = entry;
      var timer = setTimeout(function () { done(false, "damaged"); }, 20000);
      function done(ok, problem) {
        clearTimeout(timer);
        script.onload = script.onerror = null;
        if (waiting[name] === entry) delete waiting[name];
        if (ok && entry.got) resolve(entry.data); else reject(new Problem(problem, file));
      }
      script.onload = function () { done(true, "damaged"); };
      script.onerror = function () { done(false, "missing"); };
      script.src = BASE + file;
      loadedFiles.push(file);
      document.head.appendChild(script);
    });
    files[file] = promise;
    return promise;
  }

  function check(ok, file) { if (!ok) throw new Problem("damaged", file); }
  function isString(v) { return typeof v === "string"; }

  function loadManifest() {
    return load("index.js", "index", "index").then(function (data) {
      check(data && data.format === 1 && data.chunk === 50 && Array.isArray(data.segments), "index.js");
      data.segments.forEach(function (s) {
        check(s && Number.isInteger(s.id) && s.id >= 0 && Number.isInteger(s.docs) && s.docs >= 0 &&
              Array.isArray(s.bounds) && s.bounds.every(isString) && isString(s.dead), "index.js");
        s.deadSet = new Uint8Array(s.docs);
        try { api.decodeIds(s.dead, s.docs, function (n) { s.deadSet[n] = 1; }); }
        catch (e) { throw new Problem("damaged", "index.js"); }
      });
      manifest = data;
      return data;
    }, function (problem) {
      throw problem.kind === "missing" ? new Problem("nofiles", "index.js") : problem;
    });
  }
  function loadTimes(segment) {
    var file = "s" + segment.id + "-n.js";
    return load(file, "times", "s" + segment.id).then(function (code) {
      if (!segmentData[segment.id]) {
        check(isString(code), file);
        try { segmentData[segment.id] = api.decodeTimes(code, segment.docs); }
        catch (e) { throw new Problem("damaged", file); }
      }
      return segmentData[segment.id];
    });
  }
  function loadTerms(segment, shard) {
    var file = "s" + segment.id + "-t" + shard + ".js";
    return load(file, "terms", "s" + segment.id + "-t" + shard).then(function (map) {
      check(map !== null && typeof map === "object" && !Array.isArray(map), file);
      return { file: file, map: map };
    });
  }
  function loadDocs(segment, chunk) {
    var file = "s" + segment.id + "-d" + chunk + ".js";
    return load(file, "docs", "s" + segment.id + "-d" + chunk).then(function (list) {
      var expected = Math.min(50, segment.docs - chunk * 50);
      check(Array.isArray(list) && list.length === expected && list.every(function (d) {
        return Array.isArray(d) && d.length === 4 && d.every(isString);
      }), file);
      return list;
    });
  }

  // The matching messages of the query: [{time, place, number, segment}]
  // newest first, as searchArchive sorts them.
  function search(query) {
    return loadManifest().then(function (m) {
      return Promise.all(m.segments.map(function (segment, place) {
        var needs = [loadTimes(segment)];
        query.conditions.forEach(function (c) {
          c.files = c.files || {};
          c.files[segment.id] = api.termFilesFor(segment, c.term, c.prefix).map(function (k) { return loadTerms(segment, k); });
          needs = needs.concat(c.files[segment.id]);
        });
        return Promise.all(needs).then(function () { return matchSegment(segment, place, query); });
      })).then(function (lists) {
        var hits = [].concat.apply([], lists);
        hits.sort(function (a, b) { return b.time - a.time || b.place - a.place || a.number - b.number; });
        return hits;
      });
    });
  }
  function matchSegment(segment, place, query) {
    return loadTimes(segment).then(function (times) {
      var live = new Uint8Array(segment.docs).fill(1);
      for (var k = 0; k < segment.docs; k++) if (segment.deadSet[k]) live[k] = 0;
      var chain = Promise.resolve();
      query.conditions.forEach(function (c) {
        chain = chain.then(function () { return Promise.all(c.files[segment.id]); }).then(function (shards) {
          var found = new Uint8Array(segment.docs);
          shards.forEach(function (shard) {
            var mark = function (n) { found[n] = 1; };
            try {
              if (c.prefix) {
                for (var term in shard.map) {
                  if (Object.prototype.hasOwnProperty.call(shard.map, term) && term.startsWith(c.term)) {
                    check(isString(shard.map[term]), shard.file);
                    api.decodeIds(shard.map[term], segment.docs, mark);
                  }
                }
              } else if (Object.prototype.hasOwnProperty.call(shard.map, c.term)) {
                check(isString(shard.map[c.term]), shard.file);
                api.decodeIds(shard.map[c.term], segment.docs, mark);
              }
            } catch (e) { throw e instanceof Problem ? e : new Problem("damaged", shard.file); }
          });
          for (var j = 0; j < live.length; j++) live[j] &= found[j];
        });
      });
      return chain.then(function () {
        var hits = [];
        for (var n = 0; n < segment.docs; n++) {
          if (!live[n]) continue;
          if (query.before !== null && times[n] >= query.before) continue;
          if (query.after !== null && times[n] < query.after) continue;
          hits.push({ time: times[n], place: place, number: n, segment: segment });
        }
        return hits;
      });
    });
  }

  // ---- the page ----
  var statusLine = document.getElementById("search-status");
  var list = document.getElementById("results");
  var more = document.getElementById("search-more");
  var box = document.getElementById("search-query");

  function two(n) { return (n < 10 ? "0" : "") + n; }
  function showDate(seconds) {
    var d = new Date(seconds * 1000);
    if (isNaN(d.getTime())) return "";
    return d.getUTCFullYear() + "-" + two(d.getUTCMonth() + 1) + "-" + two(d.getUTCDate()) + " " +
           two(d.getUTCHours()) + ":" + two(d.getUTCMinutes());
  }
  function say(text, problem) {
    statusLine.textContent = text;
    statusLine.className = problem ? "search-problem" : "";
  }

  // The text with the query's words in <mark>, built from text nodes.
  function marked(parent, text, query) {
    var words = query.marks.filter(function (m) { return !m.cjk; });
    var cjk = {};
    query.marks.forEach(function (m) { if (m.cjk) for (var ch of m.term) cjk[ch] = true; });
    var lastWord = query.conditions.length ? query.conditions[query.conditions.length - 1] : null;
    var pieces = text.split(/([\p{L}\p{N}\p{M}]+)/u);
    pieces.forEach(function (piece, index) {
      if (index % 2 === 0) { if (piece) parent.appendChild(document.createTextNode(piece)); return; }
      var hit = false, cjkRun = false;
      api.splitTerms(api.fold(piece), function (term, isCjk) {
        if (isCjk) { cjkRun = true; return; }
        words.forEach(function (m) { if (term === m.term || (term.startsWith(m.term) && m.term.length >= 2)) hit = true; });
      });
      if (cjkRun) {
        for (var ch of piece) {
          if (cjk[api.fold(ch)]) { var mk = document.createElement("mark"); mk.textContent = ch; parent.appendChild(mk); }
          else parent.appendChild(document.createTextNode(ch));
        }
        return;
      }
      if (hit) { var mark = document.createElement("mark"); mark.textContent = piece; parent.appendChild(mark); }
      else parent.appendChild(document.createTextNode(piece));
    });
  }

  function showPage(state) {
    var slice = state.hits.slice(state.shown, state.shown + PAGE);
    return Promise.all(slice.map(function (hit) {
      return loadDocs(hit.segment, Math.floor(hit.number / 50)).then(function (docs) { return docs[hit.number % 50]; });
    })).then(function (docs) {
      docs.forEach(function (doc, k) {
        var hit = slice[k], href = api.urlPath(doc[0]);
        var item = document.createElement("li");
        var head = document.createElement("div");
        head.className = "result-head";
        var date = document.createElement("a");
        date.href = href; date.className = "result-date"; date.textContent = showDate(hit.time);
        var from = document.createElement("a");
        from.href = href; from.className = "result-from"; from.textContent = doc[1] || "(unknown sender)";
        head.appendChild(date); head.appendChild(from);
        var subject = document.createElement("a");
        subject.href = href; subject.className = "result-subject";
        marked(subject, doc[2] || "(no subject)", state.query);
        var snippet = document.createElement("p");
        snippet.className = "result-snippet";
        marked(snippet, doc[3], state.query);
        item.appendChild(head); item.appendChild(subject); item.appendChild(snippet);
        list.appendChild(item);
      });
      state.shown += slice.length;
      more.hidden = state.shown >= state.hits.length;
    });
  }

  function problemText(problem, text) {
    if (problem instanceof Problem) {
      if (problem.kind === "nofiles") return "This archive has no search files yet (.tessaly/search/index.js is missing). Archiving again writes them.";
      return "The search files are damaged (" + problem.file + "). Rebuilding the archive's search files mends them.";
    }
    return problem && problem.message ? problem.message : String(problem);
  }

  var current = null;
  function run(text) {
    var started = performance.now();
    var firstFile = loadedFiles.length;
    list.textContent = "";
    more.hidden = true;
    var query;
    try { query = api.parseQuery(text); }
    catch (e) { say(e.message, true); return Promise.resolve(record(text, started, firstFile, 0)); }
    if (query.conditions.length === 0 && query.before === null && query.after === null) {
      say("Type words to search for.", false);
      return Promise.resolve(record(text, started, firstFile, 0));
    }
    say("Searching\u2026", false);
    var state = { query: query, hits: [], shown: 0 };
    current = state;
    return search(query).then(function (hits) {
      if (current !== state) return;
      state.hits = hits;
      if (hits.length === 0) { say("No messages match \u201c" + text + "\u201d.", false); return; }
      say(hits.length === 1 ? "1 message matches." : hits.length + " messages match.", false);
      return showPage(state);
    }).catch(function (problem) { say(problemText(problem, text), true); })
      .then(function () { return record(text, started, firstFile, state.hits.length); });
  }
  more.addEventListener("click", function () {
    if (current) showPage(current).catch(function (problem) { say(problemText(problem), true); });
  });

  // Timings for bench/search-timing: with ?bench=1, each run is written to
  // the title and a hidden element; &then=QUERY runs more queries after.
  var params = new URLSearchParams(location.search);
  var bench = params.get("bench") === "1";
  var runs = [];
  function record(text, started, firstFile, count) {
    var entry = { query: text, ms: Math.round((performance.now() - started) * 10) / 10, count: count,
                  sinceOpen: Math.round(performance.now()), files: loadedFiles.slice(firstFile) };
    runs.push(entry);
    if (bench) {
      var out = document.getElementById("tessaly-bench");
      if (!out) { out = document.createElement("pre"); out.id = "tessaly-bench"; out.hidden = true; document.body.appendChild(out); }
      out.textContent = JSON.stringify(runs);
      document.title = "done " + runs.length;
    }
    return entry;
  }

  var q = params.get("q") || "";
  box.value = q;
  var chain = run(q);
  params.getAll("then").forEach(function (next) { chain = chain.then(function () { return run(next); }); });
})(tessalySearch);
)JS";

}  // namespace

std::string searchScript() { return std::string(kRules) + kPage; }

}  // namespace tessaly
