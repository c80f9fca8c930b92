#!/usr/bin/env python3
"""Deterministic fixtures for bench/run.sh, written under OUT:
  files/f000.bin .. f099.bin   100 files of 8 KB for the HTTP figures
  edition/                     the sample edition, changed for the end-to-end figures:
                               a front page of 20 headlines each with its own thumbnail,
                               MEXICO as a 10,000-headline section, gallery 1 with 20 photos
  seccion.xml                  a 10,000-article section on its own (parse anchor)
Usage: make_fixtures.py FEEDS_TOOL OUT"""
import os
import random
import re
import subprocess
import sys


def write_files(out):
    rng = random.Random(8192)
    os.makedirs(os.path.join(out, "files"), exist_ok=True)
    for i in range(100):
        with open(os.path.join(out, "files", "f%03d.bin" % i), "wb") as f:
            f.write(bytes(rng.getrandbits(8) for _ in range(8192)))


def section(count, pictures):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<root>"]
    for i in range(count):
        img = "{{FEED_SERVER}}/img/foto-%02d.jpg" % (i % 40 + 1) if pictures else ""
        lines.append(
            '<article Title="Título de la nota número %d" Link="{{FEED_SERVER}}/notas/mexico/1.xml" '
            'PubTime="12:34" ImgUrl="%s" Description="Resumen de la nota, con acentos y eñes, '
            'lo bastante largo para ocupar dos líneas."/>' % (i, img))
    lines.append("</root>")
    return "\n".join(lines) + "\n"


def edition(tool, out):
    root = os.path.join(out, "edition")
    subprocess.run([tool, "--sample", root], check=True, stdout=subprocess.DEVNULL)
    pictures = sorted(p for p in os.listdir(os.path.join(root, "img")))
    home = os.path.join(root, "mobile", "2notashome.xml")
    text = open(home, encoding="utf-8").read()
    articles = re.findall(r"<article [^>]*/>", text)
    while len(articles) < 20:
        articles.append(articles[len(articles) % len(articles)].replace('Title="', 'Title="Otra: ', 1))
    articles = articles[:20]
    fixed = []
    for i, article in enumerate(articles):
        url = "{{FEED_SERVER}}/img/" + pictures[i]
        article = re.sub(r' ImgUrl="[^"]*"', "", article)
        fixed.append(article.replace("<article ", '<article ImgUrl="%s" ' % url, 1))
    body = "\n".join("  " + a for a in fixed)
    with open(home, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<root>\n<group Title="Portada">\n'
                + body + "\n</group>\n</root>\n")
    with open(os.path.join(root, "mobile", "mexico.xml"), "w", encoding="utf-8") as f:
        f.write(section(10000, False))
    gallery = ['<?xml version="1.0" encoding="UTF-8"?>', "<root>"]
    for i in range(20):
        gallery.append('  <article Title="Foto %d" ImgUrl="{{FEED_SERVER}}/img/%s" ImgDes="Pie de foto %d."/>'
                       % (i + 1, pictures[i], i + 1))
    gallery.append("</root>")
    with open(os.path.join(root, "galerias", "1.xml"), "w", encoding="utf-8") as f:
        f.write("\n".join(gallery) + "\n")
    with open(os.path.join(out, "seccion.xml"), "w", encoding="utf-8") as f:
        f.write(section(10000, False))


def main():
    tool, out = sys.argv[1], sys.argv[2]
    write_files(out)
    edition(tool, out)


if __name__ == "__main__":
    main()
