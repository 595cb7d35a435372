#!/usr/bin/python3
"""Slidemill's bridge to a LibreOffice Impress started by Slidemill itself.

The C++ side starts soffice (private profile, unique pipe name) and then this
program, which connects to that soffice over UNO and answers requests. The
protocol is one JSON object per line on stdin, one JSON object per line on
stdout:

    request:  {"op": "open", "path": "/some/deck.ppt"}
    answer:   {"ok": true, ...}   or   {"ok": false, "error": "description"}

Slide pictures are not sent over the pipe: "copy" writes three WMF files into
the run's private folder and answers with their paths.

This program never starts or kills soffice; the C++ side owns its lifecycle.
It must run with the Python that can import uno (/usr/bin/python3 on Debian).
"""

import json
import os
import re
import sys
import time
import urllib.parse
import zipfile
from xml.etree import ElementTree

# The answers go to the real stdout; anything else that prints (UNO warnings,
# stray prints) must not corrupt the protocol.
_protocol_out = os.fdopen(os.dup(sys.stdout.fileno()), "w", encoding="utf-8", errors="replace", newline="\n")
sys.stdout = sys.stderr

try:
    import uno
    import unohelper
    from com.sun.star.task import XInteractionHandler
    from com.sun.star.beans import PropertyValue
except Exception as e:  # pragma: no cover - reported to the C++ side
    _protocol_out.write(json.dumps({"ok": False, "error": "The office Python bridge cannot load UNO: %s" % e}) + "\n")
    _protocol_out.flush()
    sys.exit(2)

PRESENTATION_SERVICE = "com.sun.star.presentation.PresentationDocument"
URL_FIELD_SERVICE = "com.sun.star.text.TextField.URL"

# File name extensions of the presentation formats the suite reads; a file that carries
# one and does not load is reported as damaged.
PRESENTATION_EXTENSIONS = {
    ".ppt", ".pps", ".pot", ".pptx", ".pptm", ".ppsx", ".ppsm", ".potx", ".potm",
    ".odp", ".fodp", ".otp", ".sxi", ".sti", ".key", ".dps", ".dpt",
}

# Master placeholders that a slide replaces with its own content, so they are
# never drawn from the master.
MASTER_PLACEHOLDERS_LEFT_OUT = {
    "com.sun.star.presentation.TitleTextShape",
    "com.sun.star.presentation.OutlinerShape",
    "com.sun.star.presentation.SubtitleShape",
    "com.sun.star.presentation.HeaderShape",
    "com.sun.star.presentation.NotesShape",
    "com.sun.star.presentation.PageShape",
}
FOOTER_SHAPE = "com.sun.star.presentation.FooterShape"
DATETIME_SHAPE = "com.sun.star.presentation.DateTimeShape"
SLIDENUMBER_SHAPE = "com.sun.star.presentation.SlideNumberShape"
# The slide's own switch for each of the master's field shapes.
MASTER_FIELD_FLAGS = {FOOTER_SHAPE: "IsFooterVisible", DATETIME_SHAPE: "IsDateTimeVisible",
                      SLIDENUMBER_SHAPE: "IsPageNumberVisible"}

RAW_SLIDE_LINK = re.compile(r"^\s*-?\d+\s*,\s*(-?\d+)\s*,(.*)$")

PASSWORD_REQUESTS = (
    "DocumentPasswordRequest",
    "DocumentPasswordRequest2",
    "DocumentMSPasswordRequest",
    "DocumentMSPasswordRequest2",
)


class BridgeError(Exception):
    """A failure with a description meant for the user."""


# Text shapes a slide picture does not show: their text is never a slide's title.
NOT_DRAWN_TEXT_SHAPES = (
    "com.sun.star.presentation.NotesShape",
    "com.sun.star.presentation.HeaderShape",
    "com.sun.star.presentation.FooterShape",
    "com.sun.star.presentation.DateTimeShape",
    "com.sun.star.presentation.SlideNumberShape",
)


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def filter_data(values):
    # A FilterData sequence must travel as an explicitly typed Any, or the
    # export filter ignores it.
    return uno.Any("[]com.sun.star.beans.PropertyValue", tuple(values))


class InteractionRecorder(unohelper.Base, XInteractionHandler):
    """Answers every question of the loader with 'abort' (nobody is there to
    answer it) and remembers what was asked, so a failed load can say why."""

    def __init__(self):
        self.password_asked = False
        self.requests = []

    def handle(self, request):
        try:
            req = request.getRequest()
            name = type(req).__name__
            self.requests.append(name)
            if any(name.endswith(p) for p in PASSWORD_REQUESTS):
                self.password_asked = True
        except Exception:
            pass
        abort_type = uno.getTypeByName("com.sun.star.task.XInteractionAbort")
        for c in request.getContinuations():
            try:
                if c.queryInterface(abort_type) is not None:
                    c.select()
                    return
            except Exception:
                continue


class Bridge:
    def __init__(self, pipe_name, connect_timeout):
        self.context = None
        self.desktop = None
        self.docs = {}
        self.next_doc = 1
        # Slide names and titles per open document, read once: documents are opened
        # read-only, and asking the suite again for every link of every slide costs
        # a round trip per slide each time.
        self.names = {}
        self.titles = {}
        self.links = {}
        self.links_doc = None
        self.saved_links = {}  # document -> per slide, per shape: URL fields as saved
        self.masters = {}  # (document, master name) -> its drawn objects
        self.page_counts = {}  # document -> its slide count, for its links
        self._connect(pipe_name, connect_timeout)

    # ---- connection -----------------------------------------------------

    def _connect(self, pipe_name, timeout):
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name
        deadline = time.monotonic() + timeout
        last = None
        while True:
            try:
                self.context = resolver.resolve(url)
                break
            except Exception as e:  # NoConnectException while soffice starts
                last = e
                if time.monotonic() > deadline:
                    raise BridgeError("The presentation application did not accept a connection: %s" % last)
                time.sleep(0.05)
        self.smgr = self.context.ServiceManager  # asked for once: each ask is a round trip
        self.desktop = self.smgr.createInstanceWithContext("com.sun.star.frame.Desktop", self.context)

    def _service(self, name):
        return self.smgr.createInstanceWithContext(name, self.context)

    # ---- documents ------------------------------------------------------

    def _doc(self, req):
        doc = self.docs.get(req.get("doc"))
        if doc is None:
            raise BridgeError("The presentation is not open.")
        return doc

    def _pages(self, req):
        return self._doc(req).getDrawPages()

    def _page(self, req):
        pages = self._pages(req)
        n = int(req.get("slide", 0))
        if n < 1 or n > pages.getCount():
            raise BridgeError("Slide %d does not exist; the presentation has %d slides." % (n, pages.getCount()))
        return pages.getByIndex(n - 1)

    def op_open(self, req):
        path = req.get("path", "")
        if not path or not os.path.exists(path):
            raise BridgeError("The file %s does not exist." % path)
        if os.path.isdir(path):
            raise BridgeError("%s is a folder, not a presentation." % path)
        if not os.access(path, os.R_OK):
            raise BridgeError("The file %s cannot be read." % path)
        if os.path.getsize(path) == 0:
            # The suite would open it as a new, blank deck of one slide.
            raise BridgeError("The file %s is empty, not a presentation." % path)
        handler = InteractionRecorder()
        url = uno.systemPathToFileUrl(os.path.abspath(path))
        args = (
            prop("Hidden", True),
            prop("ReadOnly", True),
            prop("InteractionHandler", handler),
            prop("MacroExecutionMode", 0),  # never run the document's macros
            prop("UpdateDocMode", 0),       # never update links to other files
        )
        doc = None
        failure = None
        try:
            doc = self.desktop.loadComponentFromURL(url, "_blank", 0, args)
        except Exception as e:
            if _is_disposed(e):
                raise
            failure = e
        if handler.password_asked or (doc is None and _looks_encrypted(path)):
            _close(doc)
            raise BridgeError("The presentation %s is protected by a password." % path)
        if doc is None:
            detail = ""
            if failure is not None and getattr(failure, "Message", ""):
                detail = " (%s)" % failure.Message.strip()
            ext = os.path.splitext(path)[1].lower()
            if ext in PRESENTATION_EXTENSIONS:
                raise BridgeError("The presentation %s is damaged and cannot be opened%s." % (path, detail))
            raise BridgeError("The file %s is not a presentation, or it is damaged%s." % (path, detail))
        if not _supports(doc, PRESENTATION_SERVICE):
            _close(doc)
            raise BridgeError("The file %s is not a presentation." % path)
        ident = self.next_doc
        self.next_doc += 1
        self.docs[ident] = doc
        return {"doc": ident, "count": doc.getDrawPages().getCount()}

    def op_close(self, req):
        doc = self.docs.pop(req.get("doc"), None)
        self.names.pop(req.get("doc"), None)
        self.titles = {k: v for k, v in self.titles.items() if k[0] != req.get("doc")}
        self.links = {k: v for k, v in self.links.items() if k[0] != req.get("doc")}
        self.saved_links.pop(req.get("doc"), None)
        self.page_counts.pop(req.get("doc"), None)
        self.masters = {k: v for k, v in self.masters.items() if k[0] != req.get("doc")}
        _close(doc)
        return {}

    def op_count(self, req):
        return {"count": self._pages(req).getCount()}

    def op_size(self, req):
        pages = self._pages(req)
        if pages.getCount() > 0:
            page = pages.getByIndex(0)
        else:
            page = self._doc(req).getMasterPages().getByIndex(0)
        return {"width": page.Width, "height": page.Height}

    def op_props(self, req):
        p = self._doc(req).getDocumentProperties()
        keywords = p.Keywords or ()
        return {
            "title": p.Title or "",
            "subject": p.Subject or "",
            "author": p.Author or "",
            "keywords": "; ".join(k for k in keywords),
            "modifiedBy": p.ModifiedBy or "",
        }

    # ---- hyperlinks -----------------------------------------------------

    def op_links(self, req):
        page = self._page(req)
        pages = self._pages(req)
        slide = int(req["slide"])
        self.links_doc = req.get("doc")
        key = (self.links_doc, slide)
        if key not in self.links:
            saved = self._saved_links(req, pages)
            shapes = saved[slide - 1] if saved else None
            links = []
            if shapes is not None and len(shapes) == page.getCount():
                for entry in shapes:
                    self._shape_links_saved(entry, pages, slide, links)
            else:
                for i in range(page.getCount()):
                    self._shape_links(page.getByIndex(i), pages, slide, links)
            self.links[key] = links
        return {"links": [dict(link) for link in self.links[key]]}

    # Walking every paragraph and text portion of every shape over the UNO
    # connection costs milliseconds per shape, most of a deck's conversion time.
    # The deck saved once as OpenDocument lists the same URL fields and click
    # actions, shape by shape in drawing order, for a few milliseconds in all.
    # Where the saved pages and the shapes do not line up, a slide falls back to
    # the walk.

    def _saved_links(self, req, pages):
        doc_id = req.get("doc")
        if doc_id in self.saved_links:
            return self.saved_links[doc_id]
        folder = req.get("folder", "")
        result = None
        if folder and os.path.isdir(folder):
            path = os.path.join(folder, "links-%s.odp" % doc_id)
            url = uno.systemPathToFileUrl(path)
            try:
                self._doc(req).storeToURL(url, (prop("FilterName", "impress8"),))
                with zipfile.ZipFile(path) as archive:
                    content = archive.read("content.xml")
                root = ElementTree.fromstring(content)
                saved = [[_saved_shape(child, url) for child in page if _is_saved_shape(child)]
                         for page in root.iterfind(ODF_PAGES)]
                if len(saved) == pages.getCount():
                    result = saved
            except Exception:
                result = None
            finally:
                try:
                    os.remove(path)
                except OSError:
                    pass
        self.saved_links[doc_id] = result
        return result

    def _shape_links_saved(self, entry, pages, slide, links):
        texts, children, click = entry
        for child in children or ():
            self._shape_links_saved(child, pages, slide, links)
        for url, shown in texts:
            self._add_text_link(url, shown, pages, slide, links)
        if click is not None:
            self._add_click_link(click[0], click[1], pages, slide, links)

    def _shape_links(self, shape, pages, slide, links):
        kind = shape.getShapeType()
        if kind == "com.sun.star.drawing.GroupShape":
            for i in range(shape.getCount()):
                self._shape_links(shape.getByIndex(i), pages, slide, links)
        elif kind == "com.sun.star.drawing.TableShape":
            self._table_links(shape, pages, links, slide)
        else:
            if _supports(shape, "com.sun.star.drawing.Text"):
                self._text_links(shape, pages, links, slide)
        self._click_link(shape, pages, slide, links)

    def _table_links(self, shape, pages, links, slide):
        try:
            model = shape.Model
            rows = model.getRows().getCount()
            cols = model.getColumns().getCount()
        except Exception:
            return
        for r in range(rows):
            for c in range(cols):
                try:
                    cell = model.getCellByPosition(c, r)
                    cell.getString()  # makes the cell's text enumerable
                except Exception:
                    continue
                self._text_links(cell, pages, links, slide)

    def _text_links(self, text, pages, links, slide):
        try:
            paragraphs = text.getText().createEnumeration()
        except Exception:
            return
        while paragraphs.hasMoreElements():
            para = paragraphs.nextElement()
            try:
                portions = para.createEnumeration()
            except Exception:
                continue
            while portions.hasMoreElements():
                portion = portions.nextElement()
                try:
                    if portion.TextPortionType != "TextField":
                        continue
                    field = portion.TextField
                except Exception:
                    continue
                if field is None or not _supports(field, URL_FIELD_SERVICE):
                    continue
                url = field.URL or ""
                shown = field.Representation or portion.getString() or ""
                self._add_text_link(url, shown, pages, slide, links)

    def _add_text_link(self, url, shown, pages, slide, links):
        link = self._link_for(url, pages, in_text=True, slide=slide)
        if link is None:
            return
        link["text"] = shown
        link["hasText"] = True
        links.append(link)

    def _click_link(self, shape, pages, slide, links):
        try:
            info = shape.getPropertySetInfo()
            if not info.hasPropertyByName("OnClick"):
                return
            action = shape.OnClick.value
            bookmark = shape.Bookmark if info.hasPropertyByName("Bookmark") else ""
        except Exception:
            return
        self._add_click_link(action, bookmark or "", pages, slide, links)

    def _add_click_link(self, action, bookmark, pages, slide, links):
        count = self._page_count(pages)
        target = None
        link = None
        if action == "BOOKMARK":
            link = self._link_for(bookmark, pages, in_text=False, slide=slide)
        elif action in ("DOCUMENT", "PROGRAM"):
            link = self._link_for(bookmark, pages, in_text=True, slide=slide) if bookmark else None
        elif action == "FIRSTPAGE":
            target = 1
        elif action == "LASTPAGE":
            target = count
        elif action == "NEXTPAGE":
            target = slide + 1
        elif action == "PREVPAGE":
            target = slide - 1
        if action in ("FIRSTPAGE", "LASTPAGE", "NEXTPAGE", "PREVPAGE"):
            link = None
            if target is not None and 1 <= target <= count:
                link = {"address": "", "subaddress": self._slide_title(pages, target)}
        if link is None:
            return
        link["text"] = ""
        link["hasText"] = False  # a shape's link shows no text of its own
        links.append(link)

    def _link_for(self, url, pages, in_text, slide):
        """Address and sub-address of a link target; None for an empty one."""
        if not url:
            return None
        target = self._slide_target(url, pages, bare_names=not in_text, slide=slide)
        if target is not None:
            return {"address": "", "subaddress": self._slide_title(pages, target)}
        if url.startswith("#"):
            # A place in this document that is not a slide: keep its name.
            return {"address": "", "subaddress": url[1:]}
        if RAW_SLIDE_LINK.match(url):
            return None  # a slide that does not exist (any more)
        return {"address": url, "subaddress": ""}

    def _page_count(self, pages):
        """The slide count of the document links are read for, asked once."""
        if self.links_doc not in self.page_counts:
            self.page_counts[self.links_doc] = pages.getCount()
        return self.page_counts[self.links_doc]

    def _slide_target(self, url, pages, bare_names, slide):
        """The 1-based slide a link points to, or None. Links arrive as "#Slide N",
        "#<slide name>", "pageN" (click actions) or in PowerPoint's raw
        "id,N,title" form, where N -1 with the title FIRST, LAST, NEXT or PREV
        stands for a jump relative to the deck or the slide."""
        count = self._page_count(pages)
        raw = RAW_SLIDE_LINK.match(url[1:] if url.startswith("#") else url)
        if raw:
            n = int(raw.group(1))
            if n < 1:
                jump = raw.group(2).strip().upper()
                n = {"FIRST": 1, "LAST": count, "NEXT": slide + 1,
                     "PREV": slide - 1, "PREVIOUS": slide - 1}.get(jump, 0)
            return n if 1 <= n <= count else None
        if url.startswith("#"):
            name = url[1:]
        elif bare_names:
            name = url
        else:
            return None
        names = self.names.get(self.links_doc)
        if names is None:
            names = []
            for i in range(count):
                try:
                    names.append(pages.getByIndex(i).getName())
                except Exception:
                    names.append(None)
            self.names[self.links_doc] = names
        for i, page_name in enumerate(names):
            if page_name == name:
                return i + 1
        m = re.match(r"^\s*(?:slide|page)\s*(\d+)\s*$", name, re.IGNORECASE)
        if m:
            n = int(m.group(1))
            if 1 <= n <= count:
                return n
        return None

    def _slide_title(self, pages, number):
        key = (self.links_doc, number)
        if key not in self.titles:
            self.titles[key] = self._read_slide_title(pages, number)
        return self.titles[key]

    def _read_slide_title(self, pages, number):
        """The text a slide shows as its title, as the slide picture draws it: the
        title placeholder's text, or, where the title placeholder is empty (an empty
        placeholder is not drawn) or missing, as in decks whose title is a plain text
        box, the first line of the topmost text on the slide. Blanks are collapsed to
        one, as the drawn line reads."""
        try:
            page = pages.getByIndex(number - 1)
            topmost = None
            for i in range(page.getCount()):
                shape = page.getByIndex(i)
                kind = shape.getShapeType()
                if kind in NOT_DRAWN_TEXT_SHAPES:
                    continue
                try:
                    whole = shape.getString()
                except Exception:
                    continue  # a table or a shape without text
                lines = [" ".join(l.split()) for l in re.split(r"[\r\n\u2028\u2029]", whole)]
                lines = [l for l in lines if l]
                if not lines:
                    continue
                if kind == "com.sun.star.presentation.TitleTextShape":
                    return " ".join(lines)
                pos = shape.getPosition()
                key = (pos.Y, pos.X)
                if topmost is None or key < topmost[0]:
                    topmost = (key, lines[0])
            if topmost is not None:
                return topmost[1]
        except Exception:
            pass
        return "Slide %d" % number

    # ---- slide pictures -------------------------------------------------

    def op_copy(self, req):
        doc = self._doc(req)
        page = self._page(req)
        prefix = req.get("prefix", "")
        if not prefix:
            raise BridgeError("No folder was given for the slide picture.")
        width, height = page.Width, page.Height
        pieces = []

        # 1. The background alone.
        background = prefix + "-1.wmf"
        self._export(page, background, [prop("ExportOnlyBackground", True)])
        pieces.append({"path": background, "collection": False, "originX": 0, "originY": 0})

        # 2. The master's own objects, with this slide's number, footer and date.
        master = page.MasterPage
        master_shapes = []
        if master is not None and _get(page, "IsBackgroundObjectsVisible", True):
            visible = {}
            for shape, kind, bound in self._master_shapes(req.get("doc"), master):
                flag = MASTER_FIELD_FLAGS.get(kind)
                if flag is not None:
                    if flag not in visible:
                        visible[flag] = _get(page, flag, True)
                    if not visible[flag]:
                        continue
                master_shapes.append((shape, bound))
        if master_shapes:
            path = prefix + "-2.wmf"
            piece = self._export_collection(doc, master, [s for s, _ in master_shapes], width, height, path,
                                            [prop("CurrentPage", page)], [b for _, b in master_shapes])
            pieces.append(piece)

        # 3. The slide's own shapes.
        own = [page.getByIndex(i) for i in range(page.getCount())]
        if own:
            path = prefix + "-3.wmf"
            pieces.append(self._export_collection(doc, page, own, width, height, path, []))

        return {"pieces": pieces, "width": width, "height": height}

    def _master_shapes(self, doc_id, master):
        """A master's drawn objects as (shape, kind, top-left of its bounds), read
        once per master: every slide on it asks again, and each question is a
        round trip to the suite. Documents are open read-only, so they stay."""
        key = (doc_id, master.Name)
        if key not in self.masters:
            shapes = []
            for i in range(master.getCount()):
                shape = master.getByIndex(i)
                kind = shape.getShapeType()
                if kind in MASTER_PLACEHOLDERS_LEFT_OUT:
                    continue
                shapes.append((shape, kind, _top_left(shape)))
            self.masters[key] = shapes
        return self.masters[key]

    def _export(self, source, path, data):
        # A new filter for every picture: one that held a closed document's page
        # takes the suite down when it is given the next.
        exporter = self._service("com.sun.star.drawing.GraphicExportFilter")
        exporter.setSourceDocument(source)
        args = [prop("URL", uno.systemPathToFileUrl(path)), prop("MediaType", "image/x-wmf")]
        if data:
            args.append(prop("FilterData", filter_data(data)))
        exporter.filter(tuple(args))
        if not os.path.exists(path):
            raise BridgeError("The presentation application did not export the slide picture.")

    def _export_collection(self, doc, owner, shapes, width, height, path, data, bounds=None):
        # A page-size frame that draws nothing keeps the picture's extent equal
        # to the page whatever the shapes cover. It lives on the page only for
        # the export; nothing is ever saved.
        frame = doc.createInstance("com.sun.star.drawing.RectangleShape")
        owner.add(frame)
        try:
            frame.setPosition(uno.createUnoStruct("com.sun.star.awt.Point", 0, 0))
            frame.setSize(uno.createUnoStruct("com.sun.star.awt.Size", width, height))
            frame.LineStyle = uno.Enum("com.sun.star.drawing.LineStyle", "NONE")
            frame.FillStyle = uno.Enum("com.sun.star.drawing.FillStyle", "NONE")
            collection = self._service("com.sun.star.drawing.ShapeCollection")
            collection.add(frame)
            # The export's logical origin is the top-left of everything it holds.
            origin_x, origin_y = 0, 0
            for i, s in enumerate(shapes):
                collection.add(s)
                corner = bounds[i] if bounds is not None else _top_left(s)
                if corner is not None:
                    origin_x = min(origin_x, corner[0])
                    origin_y = min(origin_y, corner[1])
            self._export(collection, path, data)
            return {"path": path, "collection": True, "originX": origin_x, "originY": origin_y}
        finally:
            try:
                owner.remove(frame)
            except Exception:
                pass

    # ---- end ------------------------------------------------------------

    def op_quit(self, req):
        for doc in list(self.docs.values()):
            _close(doc)
        self.docs.clear()
        try:
            self.desktop.terminate()
        except Exception:
            pass  # the connection goes away while soffice ends
        return {}


def _top_left(shape):
    try:
        r = shape.BoundRect
        return (r.X, r.Y)
    except Exception:
        return None


def _looks_encrypted(path):
    """True for a file that is laid out as a password-protected document: an
    OpenDocument package whose manifest lists encryption data, or a compound file
    holding an encrypted Office document or PowerPoint 97-2003 encrypted summary.
    Headless soffice fails such a load without asking for the password."""
    try:
        with open(path, "rb") as f:
            head = f.read(8)
        if head.startswith(b"PK\x03\x04"):
            import zipfile
            with zipfile.ZipFile(path) as z:
                try:
                    manifest = z.read("META-INF/manifest.xml")
                except KeyError:
                    return False
                return b"encryption-data" in manifest
        if head == b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1":
            with open(path, "rb") as f:
                data = f.read(64 * 1024 * 1024)
            for name in ("EncryptionInfo", "EncryptedPackage", "EncryptedSummary"):
                if name.encode("utf-16-le") in data:
                    return True
    except Exception:
        return False
    return False


ODF_DRAW = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
ODF_DR3D = "urn:oasis:names:tc:opendocument:xmlns:dr3d:1.0"
ODF_TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
ODF_PAGES = ("{urn:oasis:names:tc:opendocument:xmlns:office:1.0}body/"
             "{urn:oasis:names:tc:opendocument:xmlns:office:1.0}presentation/{%s}page" % ODF_DRAW)
ODF_GROUP = "{%s}g" % ODF_DRAW
ODF_LINK = "{%s}a" % ODF_TEXT
ODF_SPACES = "{%s}s" % ODF_TEXT
ODF_SPACE_COUNT = "{%s}c" % ODF_TEXT
ODF_TAB = "{%s}tab" % ODF_TEXT
ODF_LINE_BREAK = "{%s}line-break" % ODF_TEXT
XLINK_HREF = "{http://www.w3.org/1999/xlink}href"
ODF_EVENT_LISTENERS = "{urn:oasis:names:tc:opendocument:xmlns:office:1.0}event-listeners"
ODF_EVENT_LISTENER = "{urn:oasis:names:tc:opendocument:xmlns:presentation:1.0}event-listener"
ODF_EVENT_NAME = "{urn:oasis:names:tc:opendocument:xmlns:script:1.0}event-name"
ODF_ACTION = "{urn:oasis:names:tc:opendocument:xmlns:presentation:1.0}action"


def _is_saved_shape(element):
    # A page's shapes are its drawing and 3D elements; its notes, forms and
    # animations are not shapes of the slide.
    return element.tag.startswith("{%s}" % ODF_DRAW) or element.tag.startswith("{%s}" % ODF_DR3D)


def _saved_shape(element, saved_url):
    """(URL fields as (url, shown text), None, click action) for a shape and
    ([], children, click action) for a group; the click action is the suite's
    (action, bookmark) pair, or None."""
    click = _saved_click(element, saved_url)
    if element.tag == ODF_GROUP:
        return ([], [_saved_shape(c, saved_url) for c in element if _is_saved_shape(c)], click)
    texts = [(_field_url(a.get(XLINK_HREF, ""), saved_url), _element_text(a))
             for a in element.iter(ODF_LINK)]
    return (texts, None, click)


# How a shape's click action is saved: presentation:action -> the suite's action.
SAVED_CLICK_ACTIONS = {"first-page": "FIRSTPAGE", "last-page": "LASTPAGE", "next-page": "NEXTPAGE",
                       "previous-page": "PREVPAGE", "execute": "PROGRAM"}


def _saved_click(element, saved_url):
    listeners = element.find(ODF_EVENT_LISTENERS)
    if listeners is None:
        return None
    for listener in listeners.iter(ODF_EVENT_LISTENER):
        if listener.get(ODF_EVENT_NAME) not in ("dom:click", "on-click"):
            continue
        action = listener.get(ODF_ACTION, "")
        href = listener.get(XLINK_HREF, "")
        if action == "show":
            # A place in this deck is saved as "#name", another document as its URL.
            if href.startswith("#"):
                return ("BOOKMARK", href[1:])
            return ("DOCUMENT", _field_url(href, saved_url))
        if action in SAVED_CLICK_ACTIONS:
            return (SAVED_CLICK_ACTIONS[action], _field_url(href, saved_url))
    return None


def _field_url(href, saved_url):
    """The URL a field holds, from the link its saved copy shows. Saving writes
    links to files relative to the copy, and a field whose URL is no URL at all
    (PowerPoint's "id,N,title" slide links) as if it named a file in the copy's
    folder: the one is resolved again, the other taken back out of that folder,
    where no link of the deck can point."""
    if href and not href.startswith("#") and not re.match(r"^[A-Za-z][A-Za-z0-9+.-]*:", href):
        # Inside a package, relative links start from the package as a folder.
        href = urllib.parse.urljoin(saved_url + "/", href)
    for prefix in (saved_url + "/", os.path.dirname(saved_url) + "/"):
        if href.startswith(prefix):
            return urllib.parse.unquote(href[len(prefix):])
    return href


def _element_text(element):
    """The text an ODF text element shows, its spaces, tabs and breaks included."""
    parts = [element.text or ""]
    for child in element:
        if child.tag == ODF_SPACES:
            try:
                parts.append(" " * min(max(1, int(child.get(ODF_SPACE_COUNT, "1"))), 1000))
            except ValueError:
                parts.append(" ")
        elif child.tag == ODF_TAB:
            parts.append("\t")
        elif child.tag == ODF_LINE_BREAK:
            parts.append("\n")
        else:
            parts.append(_element_text(child))
        parts.append(child.tail or "")
    return "".join(parts)


def _supports(obj, service):
    try:
        return bool(obj.supportsService(service))
    except Exception:
        return False


def _get(obj, name, default):
    try:
        info = obj.getPropertySetInfo()
        if info.hasPropertyByName(name):
            return obj.getPropertyValue(name)
    except Exception:
        pass
    return default


def _close(doc):
    if doc is None:
        return
    try:
        doc.close(True)
    except Exception:
        try:
            doc.dispose()
        except Exception:
            pass


def _is_disposed(e):
    name = type(e).__name__
    return "DisposedException" in name or "RuntimeException" in name and "Binary URP bridge" in str(e)


def _describe(e):
    msg = getattr(e, "Message", "") or str(e)
    name = type(e).__name__
    if "DisposedException" in name or "Binary URP bridge" in msg:
        return "The presentation application has stopped unexpectedly."
    return "The presentation application reported an error: %s" % (msg or name)


def answer(obj):
    # Not ASCII-escaped: a lone surrogate from a damaged text then becomes "?" instead
    # of an escape that a strict JSON reader refuses.
    _protocol_out.write(json.dumps(obj, ensure_ascii=False) + "\n")
    _protocol_out.flush()


def main(argv):
    pipe_name = None
    connect_timeout = 30.0
    i = 1
    while i < len(argv):
        if argv[i] == "--pipe" and i + 1 < len(argv):
            pipe_name = argv[i + 1]
            i += 2
        elif argv[i] == "--connect-timeout" and i + 1 < len(argv):
            connect_timeout = float(argv[i + 1])
            i += 2
        else:
            i += 1
    if not pipe_name:
        answer({"ok": False, "error": "The office bridge was started without a pipe name."})
        return 2
    try:
        bridge = Bridge(pipe_name, connect_timeout)
    except BridgeError as e:
        answer({"ok": False, "error": str(e)})
        return 1
    except Exception as e:
        answer({"ok": False, "error": _describe(e)})
        return 1
    answer({"ok": True, "ready": True})

    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        try:
            req = json.loads(line)
            op = req.get("op", "")
            handler = getattr(bridge, "op_" + op, None)
            if handler is None:
                raise BridgeError("Unknown request %r." % op)
            result = handler(req)
            result["ok"] = True
            answer(result)
            if op == "quit":
                return 0
        except BridgeError as e:
            answer({"ok": False, "error": str(e)})
        except Exception as e:
            answer({"ok": False, "error": _describe(e), "stopped": _is_disposed(e)})
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
