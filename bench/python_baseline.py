#!/usr/bin/env python3
"""python_baseline.py - what a short script with Python's standard library
does: read a mailbox with `mailbox`, parse each message with `email`, and
write one .eml file per message plus its decoded attachments.

usage: python_baseline.py MAILBOX OUT-DIR
"""
import email.policy
import mailbox
import os
import re
import sys

SAFE = re.compile(r"[^A-Za-z0-9._ -]+")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: python_baseline.py MAILBOX OUT-DIR")
    out = sys.argv[2]
    attachments = os.path.join(out, "attachments")
    os.makedirs(attachments, exist_ok=True)
    box = mailbox.mbox(sys.argv[1], factory=None, create=False)
    count = 0
    for key in box.iterkeys():
        raw = box.get_bytes(key)
        count += 1
        with open(os.path.join(out, "%d.eml" % count), "wb") as f:
            f.write(raw)
        message = email.message_from_bytes(raw, policy=email.policy.default)
        for n, part in enumerate(message.walk()):
            if part.is_multipart() or not (part.get_filename() or part.is_attachment()):
                continue
            data = part.get_payload(decode=True)
            if data is None:
                continue
            name = SAFE.sub("_", part.get_filename() or "part") or "part"
            with open(os.path.join(attachments, "%d-%d-%s" % (count, n, name)), "wb") as f:
                f.write(data)
    print("%d messages" % count)


if __name__ == "__main__":
    main()
