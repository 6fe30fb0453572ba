#!/usr/bin/env python3
"""Writes the seed corpora in corpus/<target>/: small hand-made inputs in each
target's input layout (described at the top of its source), one per case the
fuzzer should start from. Run it again after changing a layout; the files it
writes are committed."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# fetch_url_body_fuzz: flags, status, Content-Length, body size, scripted reads, body.
def fetch(flags=0, status=200, length=0, body_size=0, reads=(), body=b""):
    out = struct.pack("<BIQIB", flags, status, length, body_size, len(reads))
    for most, fails in reads:
        out += struct.pack("<HB", most, 1 if fails else 0)
    return out + body


VERSION = b"27790 (20230828)\r\n"
write("fetch_url_body_fuzz", "length-one-read", fetch(flags=32, body=VERSION))
write("fetch_url_body_fuzz", "chunked-5000", fetch(flags=8, body_size=5000, body=b"0123456789"))
write("fetch_url_body_fuzz", "cut-after-3-of-10", fetch(length=10, body=b"abc"))
write("fetch_url_body_fuzz", "status-404", fetch(flags=16 | 32, status=404, body=b"Not Found"))
write("fetch_url_body_fuzz", "length-2gb", fetch(length=2 ** 31, body=b"x"))
write("fetch_url_body_fuzz", "length-zero", fetch(length=0, body=b"abc"))
write("fetch_url_body_fuzz", "chunked-over-bound", fetch(flags=8, body_size=1536 * 1024, body=b"z"))
write("fetch_url_body_fuzz", "chunked-read-fails", fetch(flags=8, body_size=5000, reads=[(2048, False), (0, True)], body=b"q"))
write("fetch_url_body_fuzz", "short-reads", fetch(flags=8, reads=[(1, False), (7, False), (3, False)], body=b"hello, world"))
write("fetch_url_body_fuzz", "no-root", fetch(flags=1))
write("fetch_url_body_fuzz", "no-request", fetch(flags=2))
write("fetch_url_body_fuzz", "no-status", fetch(flags=4, body=b"x"))

# download_to_file_fuzz: flags, more flags, status, Content-Length, startOffset, existing
# file size, body size, first tick, tick step, failing write, scripted reads, body.
def download(flags=0, more=2, status=0, length=0, offset=0, existing=0, body_size=0, tick=1000, step=16,
             failing_write=0, reads=(), body=b""):
    out = struct.pack("<BBIQIHIIHBB", flags, more, status, length, offset & 0xFFFFFFFF, existing, body_size,
                      tick, step, failing_write, len(reads))
    for most, fails in reads:
        out += struct.pack("<HB", most, 1 if fails else 0)
    return out + body


RESUME, EXISTS, NO_LENGTH = 16, 32, 8
write("download_to_file_fuzz", "whole-25000-in-three-reads",
      download(body_size=25000, reads=[(10240, 0), (10240, 0), (4520, 0)], body=b"module"))
write("download_to_file_fuzz", "empty-body", download())
write("download_to_file_fuzz", "no-length", download(flags=NO_LENGTH, body_size=3000, body=b"x"))
write("download_to_file_fuzz", "short-read-then-full", download(body_size=20000, reads=[(3000, 0), (10240, 0)], body=b"ab"))
write("download_to_file_fuzz", "ends-before-its-length", download(more=0, length=10000, body_size=3000, body=b"c"))
write("download_to_file_fuzz", "resume-4096-over-4096", download(flags=RESUME | EXISTS, offset=4096, existing=4096,
                                                                 body_size=5000, body=b"r"))
write("download_to_file_fuzz", "resume-from-0", download(flags=RESUME | EXISTS, existing=100, body=b"resumed"))
write("download_to_file_fuzz", "resume-missing-file", download(flags=RESUME, offset=77, body=b"new"))
write("download_to_file_fuzz", "resume-answered-200", download(flags=RESUME | EXISTS, more=2 | 4, status=200,
                                                               offset=10, existing=10, body=b"whole file"))
write("download_to_file_fuzz", "status-404", download(more=2 | 4, status=404, body=b"<html>Not Found</html>"))
write("download_to_file_fuzz", "not-http", download(flags=128, body=b"garbage"))
write("download_to_file_fuzz", "no-root", download(flags=1))
write("download_to_file_fuzz", "url-fails", download(flags=2 | EXISTS, existing=5000))
write("download_to_file_fuzz", "local-file-fails", download(flags=64, body=b"x"))
write("download_to_file_fuzz", "read-fails-part-way", download(flags=EXISTS, existing=5000, body_size=30000,
                                                               reads=[(10240, 0), (0, 1)], body=b"f"))
write("download_to_file_fuzz", "write-fails", download(body_size=30000, failing_write=2, body=b"w"))
write("download_to_file_fuzz", "same-tick", download(step=0, body=b"quick"))
write("download_to_file_fuzz", "tick-wraps", download(tick=0xFFFFFFF0, step=16, body_size=40000, body=b"t"))
write("download_to_file_fuzz", "negative-offset", download(flags=RESUME, offset=-5, body=b"n"))

# progress_text_fuzz: total, downloaded, bar position, bar range (signed 32-bit).
def progress(total, downloaded, position, bar_range):
    return struct.pack("<iiii", total, downloaded, position, bar_range)


write("progress_text_fuzz", "first-chunk", progress(1234567, 10240, 82, 10000))
write("progress_text_fuzz", "done", progress(25000, 25000, 10000, 10000))
write("progress_text_fuzz", "no-length", progress(0, 30720, 0, 10000))
write("progress_text_fuzz", "halves", progress(128, 640, 4550, 10000))
write("progress_text_fuzz", "past-2gb", progress(-2147483648, 2147483647, -1, 1))
write("progress_text_fuzz", "count-past-total", progress(1, 2147483647, 2147483647, 10000))

# news_list_fuzz: tag notation, then "%%" and element paths.
HEADERS = ("<title>Forum</title><link>http://localhost/forum.php</link><description>d</description>"
           "<copyright>c</copyright><generator>g</generator><lastBuildDate>t</lastBuildDate><ttl>60</ttl>"
           "<image><url>u</url><title>logo</title><link>http://localhost/</link></image>")


def item(n, link=True):
    body = "<title>Post %d &amp; more</title>" % n
    if link:
        body += "<link>http://localhost/forum.php?tid=%d</link>" % n
    return "<item>%s<description><![CDATA[text]]></description></item>" % body


PATHS = "\n%%\n@1/channel\n@1/channel/@9/title\n@1/channel/@10/link\n@01/channel\nrss/channel/@8\n" \
        "@1//title\n@1/channel/@0\n@1/channel/@99999999999/title\n@\n@1/\n\n@2\nchannel"
write("news_list_fuzz", "feed-3-posts",
      '<?xml version="1.0" encoding="gbk"?>\n<rss version="2.0"><channel>' + HEADERS
      + item(1) + item(2) + item(3) + "</channel></rss>" + PATHS)
write("news_list_fuzz", "feed-40-posts", "<rss><channel>" + HEADERS
      + "".join("<item><title>%d</title><link>%d</link></item>" % (n, n) for n in range(1, 41))
      + "</channel></rss>" + PATHS + "\n@1/channel/@48/link")
write("news_list_fuzz", "feed-8-children", "<rss><channel>" + HEADERS + "</channel></rss>" + PATHS)
write("news_list_fuzz", "feed-5-children", "<rss><channel><title>a</title><link>b</link><ttl>1</ttl>"
      "<generator/><image/></channel></rss>")
write("news_list_fuzz", "ninth-header-and-missing-link",
      "<rss><channel>" + HEADERS + "<category>c<title>first row</title></category>"
      + item(1, link=False) + "<!-- a comment --><item><link>only a link</link></item></channel></rss>" + PATHS)
write("news_list_fuzz", "no-channel", "<rss><title>x</title><item><title>y</title></item></rss>" + PATHS)
write("news_list_fuzz", "second-channel", "<rss><chan/><channel><a/></channel><channel>" + HEADERS
      + item(7) + "</channel></rss>")
write("news_list_fuzz", "not-a-document", "404 Not Found" + PATHS)

# xml_encoding_fuzz: mode byte, then the document (even) or a name for a written declaration (odd).
for name, doc in [
    ("gbk", b'<?xml version="1.0" encoding="gbk"?>\n<rss/>'),
    ("single-quotes", b"<?xml version='1.0' encoding='GB2312' standalone='yes'?><rss/>"),
    ("blanks-around-equals", b'<?xml version="1.0" encoding \t= "Big5" ?><rss/>'),
    ("no-encoding", b'<?xml version="1.0"?><rss/>'),
    ("empty-encoding", b'<?xml version="1.0" encoding=""?><rss/>'),
    ("unknown-encoding", b'<?xml version="1.0" encoding="x-mac-chinesesimp"?><rss/>'),
    ("unclosed-declaration", b'<?xml version="1.0" encoding="utf-8"'),
    ("no-declaration", b"<rss><channel/></rss>"),
    ("utf8-mark", b'\xef\xbb\xbf<?xml version="1.0" encoding="gbk"?><rss/>'),
    ("utf16le-mark", "\ufeff<?xml version=\"1.0\"?><rss/>".encode("utf-16-le")),
    ("utf16be-mark", "\ufeff<?xml version=\"1.0\"?><rss/>".encode("utf-16-be")),
    ("utf16le-no-mark", "<?xml version=\"1.0\"?><rss/>".encode("utf-16-le")),
    ("utf16be-no-mark", "<?xml version=\"1.0\"?><rss/>".encode("utf-16-be")),
    ("encoding-inside-a-value", b'<?xml version="encoding" myencoding="a" encoding="euc-kr"?>'),
]:
    write("xml_encoding_fuzz", name, b"\x00" + doc)
for name, mode, enc in [("written-gbk", 1, b"GBK"), ("written-single-quoted", 3, b"Shift_JIS"),
                        ("written-blanks", 13, b"windows-1252\x00<rss/>")]:
    write("xml_encoding_fuzz", name, bytes([mode]) + enc)
