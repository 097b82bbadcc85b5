#!/usr/bin/env python3
"""Makes the single-file page: the page's HTML with its style sheets and its
script (which carries the WebAssembly) written inside, so that it opens from a
disk or a learning platform with no server and no network.

usage: inline_page.py PAGE.html STYLE.css [MORE.css ...] SCRIPT.js OUT.html
"""
import sys


def main(argv):
    if len(argv) < 5:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    page_path, *styles, script_path, out_path = argv[1:]
    page = open(page_path, encoding="utf-8").read()
    css = "\n".join(open(p, encoding="utf-8").read() for p in styles)
    script = open(script_path, encoding="utf-8").read()
    # A script's text ends at the first "</script"; none may stand inside it.
    script = script.replace("</script", "<\\/script")
    style_tag = '<link rel="stylesheet" href="style.css">'
    script_tag = '<script type="module" src="app.js"></script>'
    if style_tag not in page or script_tag not in page:
        print("inline_page.py: the page no longer names style.css and app.js", file=sys.stderr)
        return 1
    page = page.replace(style_tag, "<style>\n" + css + "\n</style>")
    page = page.replace(script_tag, '<script type="module">\n' + script + "\n</script>")
    with open(out_path, "w", encoding="utf-8") as out:
        out.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
