#!/usr/bin/env python3
"""Writes rss.xml beside this script: the forum's news feed as the local
forum serves it, GBK-encoded like the real forum's feed.

The channel starts with eight header elements (title, link, description,
copyright, generator, lastBuildDate, ttl, image) followed by six items. The
output is fixed text, so running this again gives the same bytes.
"""

import os

HOST = "http://localhost"

ITEMS = [
    # (tid, title (XML-escaped), description, author, pubDate)
    (1046, "病毒库更新至 27830 (20230905)",
     "本次更新新增多种木马与勒索软件特征，建议所有用户及时升级。", "管理员",
     "Tue, 05 Sep 2023 09:12:30 +0000"),
    (1045, "Korvane Scan 1.5.1.2 发布：修复隔离区恢复问题",
     "新版本修复了从隔离区恢复文件时偶尔失败的问题，并改进了在线升级的断点续传。", "开发组",
     "Mon, 04 Sep 2023 15:40:00 +0000"),
    (1043, "常见问题：扫描日志保存在哪里？",
     "扫描日志默认保存在 KorvaneScanData 文件夹中，可在设置里修改。", "版主小林",
     "Fri, 01 Sep 2023 08:05:17 +0000"),
    (1040, "安全提示：警惕伪装成发票的钓鱼邮件 &amp; 压缩包",
     "近期出现大量伪装成电子发票的钓鱼邮件，附件压缩包内含恶意脚本，请勿随意打开。", "安全研究员",
     "Wed, 30 Aug 2023 11:30:00 +0000"),
    (1038, "论坛维护通知（9月2日凌晨）",
     "论坛将于 9 月 2 日凌晨 2:00 至 4:00 进行服务器维护，期间可能无法访问。", "管理员",
     "Mon, 28 Aug 2023 20:00:00 +0000"),
    (1031, "新手入门：如何手动升级病毒库",
     "无法在线升级时，可下载离线升级包并按本文步骤手动替换病毒库文件。", "热心网友",
     "Thu, 24 Aug 2023 13:45:09 +0000"),
]


def build():
    out = [
        '<?xml version="1.0" encoding="gbk"?>',
        '<rss version="2.0">',
        '  <channel>',
        '    <title>Korvane 安全论坛</title>',
        '    <link>%s/forum.php</link>' % HOST,
        '    <description>Korvane 安全论坛最新主题</description>',
        '    <copyright>Copyright(C) Korvane 安全论坛</copyright>',
        '    <generator>Forum Board</generator>',
        '    <lastBuildDate>Tue, 05 Sep 2023 09:20:00 +0000</lastBuildDate>',
        '    <ttl>60</ttl>',
        '    <image>',
        '      <url>%s/static/image/common/logo_88_31.gif</url>' % HOST,
        '      <title>Korvane 安全论坛</title>',
        '      <link>%s/</link>' % HOST,
        '    </image>',
    ]
    for tid, title, description, author, date in ITEMS:
        out += [
            '    <item>',
            '      <title>%s</title>' % title,
            '      <link>%s/forum.php?mod=viewthread&amp;tid=%d</link>' % (HOST, tid),
            '      <description><![CDATA[%s]]></description>' % description,
            '      <category>公告</category>',
            '      <author>%s</author>' % author,
            '      <pubDate>%s</pubDate>' % date,
            '    </item>',
        ]
    out += ['  </channel>', '</rss>', '']
    return "\n".join(out).encode("gbk")


if __name__ == "__main__":
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "rss.xml")
    with open(path, "wb") as f:
        f.write(build())
