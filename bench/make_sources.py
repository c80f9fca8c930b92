#!/usr/bin/env python3
"""Writes the source feeds the feed reader is measured on: 20 newspapers'
feeds (15 RSS 2.0 with content:encoded and media:content, 5 Atom with html
content) of 50 items each, every body 2-8 KB of HTML. Fictional Spanish news
on example hosts; the same seed gives the same files.
Usage: make_sources.py OUT_DIR"""
import os
import random
import sys
from xml.sax.saxutils import escape

WORDS = ("el ayuntamiento aprobó ayer la reforma de la plaza mayor tras un largo debate "
         "en el pleno municipal los vecinos del barrio piden más autobuses y aceras anchas "
         "la consejería anuncia obras en la carretera de la sierra durante el verano "
         "según fuentes de la cooperativa la cosecha de aceituna será récord este año").split()


def sentence(rng, n):
    words = [rng.choice(WORDS) for _ in range(n)]
    return " ".join(words).capitalize() + "."


def body(rng, host, n):
    size = rng.randint(2048, 8192)
    parts = []
    total = 0
    while total < size:
        kind = rng.random()
        if kind < 0.6:
            part = "<p>%s <a href=\"https://%s/n/%d\">%s</a> %s</p>" % (
                sentence(rng, 14), host, rng.randint(1, 9999), rng.choice(WORDS), sentence(rng, 10))
        elif kind < 0.75:
            part = "<h3>%s</h3>" % sentence(rng, 5)
        elif kind < 0.88:
            part = "<ul>%s</ul>" % "".join("<li>%s</li>" % sentence(rng, 6) for _ in range(3))
        elif kind < 0.95:
            part = ("<figure><img src=\"/fotos/%d.jpg\" width=\"800\" height=\"533\" alt=\"%s\">"
                    "<figcaption>%s</figcaption></figure>" % (rng.randint(1, 9999), sentence(rng, 4), sentence(rng, 8)))
        else:
            part = "<p>%s&nbsp;&mdash; <em>%s</em></p><script>medir(%d);</script>" % (
                sentence(rng, 8), sentence(rng, 4), n)
        parts.append(part)
        total += len(part)
    return "".join(parts)


def rss(rng, index):
    host = "diario%d.example.com" % index
    items = []
    for n in range(50):
        items.append("""<item>
<title>%s</title>
<link>https://%s/nota/%d</link>
<guid isPermaLink="false">%s-%d</guid>
<pubDate>Tue, %02d Mar 2026 %02d:%02d:00 +0100</pubDate>
<dc:creator>Redacción %d</dc:creator>
<description>%s</description>
<content:encoded><![CDATA[%s]]></content:encoded>
<media:content url="https://%s/fotos/%d-1600.jpg" medium="image" width="1600"><media:description>%s</media:description></media:content>
<media:content url="https://%s/fotos/%d-800.jpg" medium="image" width="800"/>
</item>""" % (escape(sentence(rng, 8)), host, n, host, n, 1 + n % 28, n % 24, n % 60, index,
              escape(sentence(rng, 25)), body(rng, host, n), host, n, escape(sentence(rng, 6)), host, n))
    return ("""<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:content="http://purl.org/rss/1.0/modules/content/" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:media="http://search.yahoo.com/mrss/">
<channel><title>Diario %d</title><link>https://%s/</link><description>Noticias</description>
%s
</channel></rss>
""" % (index, host, "\n".join(items)))


def atom(rng, index):
    host = "gaceta%d.example.org" % index
    entries = []
    for n in range(50):
        entries.append("""<entry>
<title type="html">%s</title>
<link href="https://%s/nota/%d"/>
<id>tag:%s,2026:%d</id>
<published>2026-03-%02dT%02d:%02d:00+01:00</published>
<author><name>Redacción %d</name></author>
<summary>%s</summary>
<content type="html">%s</content>
</entry>""" % (escape(sentence(rng, 8)), host, n, host, n, 1 + n % 28, n % 24, n % 60, index,
              escape(sentence(rng, 25)), escape(body(rng, host, n))))
    return ("""<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>Gaceta %d</title><id>tag:%s,2026:feed</id>
<updated>2026-03-03T12:00:00Z</updated>
%s
</feed>
""" % (index, host, "\n".join(entries)))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(17)
    for index in range(20):
        text = rss(rng, index) if index < 15 else atom(rng, index)
        with open(os.path.join(out, "fuente-%02d.xml" % index), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
