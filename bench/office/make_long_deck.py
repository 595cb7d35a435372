#!/usr/bin/python3
"""Makes a long deck for the benchmark: the slides of SOURCE repeated until the deck has
COUNT slides, saved as OUTPUT (OpenDocument presentation), by a private office suite.
    make_long_deck.py SOURCE COUNT OUTPUT PROFILE_DIR"""
import subprocess, sys, time, uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def main(source, count, output, profile):
    pipe = "slidemill_bench_%d" % int(time.time() * 1000)
    office = subprocess.Popen(["soffice", "--headless", "--invisible", "--norestore", "--nologo",
                               "--nodefault", "--nolockcheck", "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
                               "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        ctx = None
        for _ in range(300):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.1)
        if ctx is None:
            raise RuntimeError("the office suite did not answer")
        desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), "_blank", 0, (prop("Hidden", True),))
        pages = doc.getDrawPages()
        originals = pages.getCount()
        i = 0
        while pages.getCount() < count:
            doc.duplicate(pages.getByIndex(i % originals))
            i += 1
        doc.storeToURL(uno.systemPathToFileUrl(output), (prop("FilterName", "impress8"),))
        doc.close(True)
        desktop.terminate()
    finally:
        try:
            office.wait(timeout=10)
        except subprocess.TimeoutExpired:
            office.kill()
            office.wait()


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4])
