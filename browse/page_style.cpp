// page_style.cpp - the browse pages' stylesheet, written once.
#include "browse/page_style.h"

#include "browse/page_files.h"
#include "platform/files.h"

namespace tessaly {

std::string_view defaultBrowseStylesheet() {
    static constexpr std::string_view kContent = R"css(/* browse.css - the archive's browse pages. Edit freely: it is written only when missing. */
:root {
  color-scheme: light dark;
  --bg: #fbfaf7; --fg: #22262b; --muted: #646b73; --line: #e4e1da;
  --band: #f2eee4; --accent: #0a5aa8; --visited: #5b3f96; --hover: #eef3f9; --mark: #fff3c4;
}
@media (prefers-color-scheme: dark) {
  :root {
    --bg: #17191c; --fg: #e4e4e2; --muted: #9aa1a9; --line: #2e3237;
    --band: #202328; --accent: #8cbcff; --visited: #c3a8f0; --hover: #1f2731; --mark: #4a4220;
  }
}
* { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0; background: var(--bg); color: var(--fg);
  font: 1.0625rem/1.55 system-ui, -apple-system, "Segoe UI", "Noto Sans", "DejaVu Sans", Helvetica, Arial, sans-serif;
}
a { color: var(--accent); text-decoration: none; }
a:visited { color: var(--visited); }
a:hover, a:focus { text-decoration: underline; }
header.top {
  display: flex; flex-wrap: wrap; align-items: center; gap: .5rem 1.25rem;
  padding: .55rem 1.25rem; background: var(--band); border-bottom: 1px solid var(--line);
}
header.top .home { font-weight: 600; color: var(--fg); }
header.top .crumbs { color: var(--muted); }
header.top .crumbs a { color: var(--fg); }
form.search { display: flex; gap: .4rem; margin-left: auto; }
form.search input {
  font: inherit; font-size: .95rem; width: 16rem; max-width: 60vw; padding: .25rem .55rem;
  border: 1px solid var(--line); border-radius: 4px; background: var(--bg); color: var(--fg);
}
form.search button {
  font: inherit; font-size: .95rem; padding: .25rem .8rem; border: 1px solid var(--line);
  border-radius: 4px; background: var(--bg); color: var(--fg); cursor: pointer;
}
main { max-width: 68rem; margin: 0 auto; padding: 1.25rem 1.25rem 3rem; }
h1 { font-size: 1.6rem; line-height: 1.25; margin: .4rem 0 .3rem; font-weight: 600; overflow-wrap: anywhere; }
h2 { font-size: 1.25rem; margin: 1.6rem 0 .4rem; font-weight: 600; }
h3 { font-size: 1rem; margin: 1.1rem 0 .3rem; color: var(--muted); font-weight: 600; }
p.meta, .muted { color: var(--muted); }
p.meta { margin: 0 0 1rem; }
nav.tabs { display: flex; flex-wrap: wrap; gap: 0 1.25rem; border-bottom: 1px solid var(--line); margin: .6rem 0 1rem; }
nav.tabs a, nav.tabs span { padding: .35rem 0; margin-bottom: -1px; color: var(--fg); }
nav.tabs [aria-current] { border-bottom: 3px solid var(--accent); font-weight: 600; }
nav.pages { margin: .5rem 0 1rem; font-size: .85rem; }
nav.pages ol { list-style: none; margin: 0; padding: 0; display: flex; flex-wrap: wrap; gap: .3rem; }
nav.pages a, nav.pages span {
  display: block; padding: .1rem .45rem; border: 1px solid var(--line); border-radius: 4px; white-space: nowrap;
}
nav.pages span[aria-current] { background: var(--accent); border-color: var(--accent); color: var(--bg); }
table.list { width: 100%; border-collapse: collapse; table-layout: fixed; }
table.list th {
  text-align: left; font-size: .8rem; font-weight: 600; color: var(--muted);
  text-transform: uppercase; letter-spacing: .04em; padding: .3rem .5rem; border-bottom: 2px solid var(--line);
}
table.list td { padding: .32rem .5rem; border-bottom: 1px solid var(--line); vertical-align: top; overflow-wrap: anywhere; }
table.list tr:hover td { background: var(--hover); }
td.date, th.date { width: 11rem; white-space: nowrap; }
td.date { color: var(--muted); font-variant-numeric: tabular-nums; }
td.from, th.from { width: 13rem; }
td.from { white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
td.count, th.count { width: 7rem; text-align: right; font-variant-numeric: tabular-nums; }
td.range, th.range { width: 15rem; white-space: nowrap; color: var(--muted); font-variant-numeric: tabular-nums; }
td.people { color: var(--muted); }
.files { color: var(--muted); font-size: .85rem; white-space: nowrap; }
ul.tree, ul.tree ul { list-style: none; margin: 0; padding-left: 1.4rem; }
ul.tree { padding-left: 0; }
ul.tree li { padding: .18rem 0; }
ul.tree .count { color: var(--muted); font-size: .9rem; margin-left: .5rem; font-variant-numeric: tabular-nums; }
ul.tree .label { font-weight: 600; }
ul.years { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: .4rem .9rem; }
ul.years .count { color: var(--muted); font-size: .85rem; }
section.summary { display: grid; grid-template-columns: minmax(0, 2fr) minmax(0, 1fr); gap: 2rem; }
@media (max-width: 48rem) {
  section.summary { grid-template-columns: 1fr; }
  td.from, th.from, td.range, th.range { display: none; }
  td.date, th.date { width: 6.5rem; white-space: normal; }
  td.count, th.count { width: 4.5rem; }
  form.search { margin-left: 0; }
}
ol.thread { list-style: none; margin: 0; padding: 0; }
ol.thread li { border-left: 2px solid var(--line); padding: .35rem 0 .45rem .8rem; margin: .35rem 0; }
ol.thread .head { display: flex; flex-wrap: wrap; gap: .2rem 1rem; }
ol.thread .who { font-weight: 600; }
ol.thread .when { color: var(--muted); font-variant-numeric: tabular-nums; }
ol.thread .text { color: var(--muted); margin: .15rem 0 0; font-size: .95rem; overflow-wrap: anywhere; }
ol.people { padding-left: 0; list-style: none; }
section.person { margin-top: 1.5rem; }
section.person:target h2 { background: var(--mark); }
footer { max-width: 68rem; margin: 0 auto; padding: 1rem 1.25rem 2rem; color: var(--muted); font-size: .85rem; }
@media print {
  :root { --bg: #fff; --fg: #000; --muted: #444; --line: #bbb; --accent: #000; --visited: #000; }
  body { font-size: 10.5pt; }
  header.top form, nav.pages, nav.tabs { display: none; }
  header.top { background: none; border-bottom: 1px solid #000; }
  main { max-width: none; padding: 0; }
  table.list tr { break-inside: avoid; }
  h2, h3 { break-after: avoid; }
  a { text-decoration: none; }
}
)css";
    return kContent;
}

void writeBrowseStylesheet(const std::string& root) {
    const std::string folder = root + "/" + std::string(kBrowseStylesheet.substr(0, kBrowseStylesheet.rfind('/')));
    createFolderPath(folder);
    writeFileWhenMissing(root + "/" + std::string(kBrowseStylesheet), std::string(defaultBrowseStylesheet()));
}

}  // namespace tessaly
