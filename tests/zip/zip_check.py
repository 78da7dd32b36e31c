#!/usr/bin/env python3
"""Reads an archive back with Python's zipfile and checks it against a
description written by the test.

usage: zip_check.py ARCHIVE EXPECT.json

EXPECT.json: {"password": str or null, "now": [earliest, latest],
              "members": [{"name", "data" (path of the expected bytes),
                           "flags", "method", "attr", "mtime" (or null:
                           between the two "now" values)}]}
Prints "ok" and exits 0, else prints what differs and exits 1.
"""
import json
import struct
import sys
import zipfile


def time_extra(extra):
    """The last-write time of the extended time stamp field (0x5455)."""
    while len(extra) >= 4:
        ident, size = struct.unpack_from("<HH", extra)
        body = extra[4:4 + size]
        if ident == 0x5455:
            if size != 5 or body[0] != 7:
                raise AssertionError("central time field: size %d flags %d" % (size, body[0]))
            return struct.unpack_from("<I", body, 1)[0]
        extra = extra[4 + size:]
    raise AssertionError("no extended time stamp field")


def check(archive, expect):
    password = expect["password"].encode() if expect["password"] else None
    earliest, latest = expect["now"]
    with zipfile.ZipFile(archive) as zf:
        infos = zf.infolist()
        names = [i.filename for i in infos]
        wanted = [m["name"] for m in expect["members"]]
        if names != wanted:
            raise AssertionError("names %r, expected %r" % (names, wanted))
        for info, member in zip(infos, expect["members"]):
            for field, actual in (("flags", info.flag_bits), ("method", info.compress_type),
                                  ("attr", info.external_attr)):
                if actual != member[field]:
                    raise AssertionError("%s: %s 0x%x, expected 0x%x" % (info.filename, field, actual, member[field]))
            mtime = time_extra(info.extra)
            if member["mtime"] is not None and mtime != member["mtime"]:
                raise AssertionError("%s: time %d, expected %d" % (info.filename, mtime, member["mtime"]))
            if member["mtime"] is None and not earliest <= mtime <= latest:
                raise AssertionError("%s: time %d, not now" % (info.filename, mtime))
        if password:
            zf.setpassword(password)
        bad = zf.testzip()
        if bad is not None:
            raise AssertionError("testzip: %s is damaged" % bad)
        for member in expect["members"]:
            with open(member["data"], "rb") as f:
                if zf.read(member["name"]) != f.read():
                    raise AssertionError("%s: bytes differ" % member["name"])
        if password:
            # Every encrypted member must be refused with a wrong password.
            for info in infos:
                if info.flag_bits & 1:
                    try:
                        zf.read(info, pwd=b"not the password")
                    except Exception:
                        continue
                    raise AssertionError("%s: read with a wrong password" % info.filename)


def main():
    archive, expect_path = sys.argv[1:3]
    with open(expect_path, encoding="utf-8") as f:
        expect = json.load(f)
    try:
        check(archive, expect)
    except (AssertionError, zipfile.BadZipFile) as error:
        print(error)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
