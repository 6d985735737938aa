// stylesheet.cpp - writes the archive's default stylesheet once.
#include "archive/stylesheet.h"

#include "platform/files.h"

namespace tessaly {

std::string_view defaultStylesheet() {
    static constexpr std::string_view kContent =
        "/* folvane.css - the look of the message pages. Edit freely: it is written only when missing. */\r\n"
        ":root {\r\n"
        "  color-scheme: light dark;\r\n"
        "  --bg: #ffffff; --fg: #1d2125; --muted: #5d646c; --band: rgb(250,240,210); --quiet: rgb(246,246,244);\r\n"
        "  --line: #dedbd3; --accent: #0a5aa8;\r\n"
        "}\r\n"
        "@media (prefers-color-scheme: dark) {\r\n"
        "  :root { --bg: #17191c; --fg: #e4e4e2; --muted: #a0a7ae; --band: #3a3326; --quiet: #222428; --line: #34383d; --accent: #8cbcff; }\r\n"
        "}\r\n"
        "html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }\r\n"
        "body {\r\n"
        "  margin: 0; background-color: var(--bg); color: var(--fg);\r\n"
        "  font: 1.0625rem/1.5 system-ui, -apple-system, \"Segoe UI\", \"Noto Sans\", \"DejaVu Sans\", Helvetica, Arial, sans-serif;\r\n"
        "}\r\n"
        ".headers { font-size: 1.1rem; font-weight: 600; background-color: var(--band); padding: .7rem 1.25rem; overflow-wrap: anywhere; }\r\n"
        ".headers .title { display: inline-block; min-width: 5.5em; font-size: .85rem; font-weight: normal; color: var(--muted); }\r\n"
        ".headers a, .footers a { color: inherit; text-decoration: none; }\r\n"
        ".headers a:hover, .headers a:active, .footers a:hover, .footers a:active { color: var(--accent); text-decoration: underline; }\r\n"
        ".attachments { padding: .4rem .75rem; border: solid .5rem var(--band); border-top: none; }\r\n"
        ".attachment { margin: 0 .5em; line-height: 1.9; }\r\n"
        ".attachment a { color: var(--accent); }\r\n"
        ".texts { padding-bottom: 1ex; }\r\n"
        ".flowed { padding: 1rem 1.25rem .5rem; max-width: 48rem; overflow-wrap: anywhere; }\r\n"
        ".flowed p { margin-top: 0; margin-bottom: 0; }\r\n"
        ".fixed {\r\n"
        "  font-family: ui-monospace, \"DejaVu Sans Mono\", \"Noto Sans Mono\", Menlo, Consolas, monospace; font-size: .9rem;\r\n"
        "  background-color: var(--quiet); padding: .75rem 1.25rem; overflow-wrap: anywhere;\r\n"
        "}\r\n"
        ".formatted { margin: .75rem 1.25rem; }\r\n"
        ".formatted iframe { display: block; width: 100%; height: 75vh; min-height: 20rem; border: 1px solid var(--line); background-color: white; }\r\n"
        "details.formatted summary { cursor: pointer; color: var(--accent); padding: .3rem 0; }\r\n"
        ".images img { margin: 1ex; max-width: calc(100% - 2ex); height: auto; }\r\n"
        ".footers { margin-top: 5ex; font-size: .85rem; color: var(--muted); background-color: var(--quiet); padding: .75rem 1.25rem; overflow-wrap: anywhere; }\r\n"
        "@media print {\r\n"
        "  :root { --bg: white; --fg: black; --muted: #444; --band: white; --quiet: white; --line: #999; --accent: black; }\r\n"
        "  body { font-size: 11pt; }\r\n"
        "  .headers { border-bottom: 1px solid var(--line); }\r\n"
        "  .attachments { border: none; border-bottom: 1px solid var(--line); }\r\n"
        "  details.formatted summary { display: none; }\r\n"
        "  .formatted iframe { border: none; height: auto; min-height: 0; }\r\n"
        "  .images img { max-width: 100%; page-break-inside: avoid; }\r\n"
        "}\r\n"
        "\r\n";
    return kContent;
}

void writeStylesheet(const std::string& archiveFolder) {
    // Written whole under a temporary name first: a run cut short must not
    // leave half a stylesheet that no later run would replace.
    removeStaleTemporaries(archiveFolder);
    const std::string path = archiveFolder + "/folvane.css";
    if (pathExists(path)) return;
    OutputFile file;
    if (!file.createStaged(path)) return;
    file.write(defaultStylesheet());
    file.commit(CreateMode::New);
}

}  // namespace tessaly
