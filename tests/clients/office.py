#!/usr/bin/python3
"""Asks a running LibreOffice (through its UNO bridge) what it makes of KORVELIN's graph.

  office.py PORT break FILE       inserts FILE as a picture into a new Draw page, breaks it
                                  into shapes and lists them
  office.py PORT quit             ends that LibreOffice
  office.py PORT paste KIND       pastes the clipboard into a new Draw, Impress or Writer
                                  document (KIND draw, impress, writer) and says what came in;
                                  in Draw and Impress the pasted picture is broken too

Each shape is listed on a line of its own: its kind, and for lines the number of points and
whether the shape is closed; a closed shape draws an edge from each part's last point to its
first, whose length (the longest, in 1/100 mm) follows: 0 draws nothing more.
A pasted picture is named first, by its MIME type and kind: "pasted image/x-vclgraphic vector"
(a metafile), "pasted application/pdf vector", "pasted image/png bitmap".
"""

import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def connect(port):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(100):
        try:
            return resolver.resolve(
                f"uno:socket,host=localhost,port={port};urp;StarOffice.ComponentContext")
        except Exception:
            time.sleep(0.2)
    sys.exit(f"no LibreOffice answers on port {port}")


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


class Office:
    def __init__(self, port):
        self.context = connect(port)
        self.smgr = self.context.ServiceManager
        self.desktop = self.smgr.createInstanceWithContext("com.sun.star.frame.Desktop",
                                                           self.context)
        self.dispatcher = self.smgr.createInstanceWithContext(
            "com.sun.star.frame.DispatchHelper", self.context)

    def new(self, kind):
        url = {"draw": "private:factory/sdraw", "impress": "private:factory/simpress",
               "writer": "private:factory/swriter"}[kind]
        return self.desktop.loadComponentFromURL(url, "_blank", 0, ())

    def run(self, doc, command):
        frame = doc.getCurrentController().getFrame()
        self.dispatcher.executeDispatch(frame, ".uno:" + command, "", 0, ())


def page_of(doc):
    if doc.supportsService("com.sun.star.text.TextDocument"):
        return doc.getDrawPage()
    return doc.getCurrentController().getCurrentPage()


def describe(shape):
    kind = shape.getShapeType().replace("com.sun.star.drawing.", "")
    if kind == "GroupShape":
        return [line for i in range(shape.getCount()) for line in describe(shape.getByIndex(i))]
    if kind in ("PolyLineShape", "PolyPolygonShape", "LineShape", "OpenBezierShape",
                "ClosedBezierShape"):
        polygons = shape.getPropertyValue("PolyPolygon")
        points = sum(len(p) for p in polygons)
        if kind not in ("PolyPolygonShape", "ClosedBezierShape"):
            return [f"{kind} {len(polygons)} parts {points} points open"]
        # The longest edge the closing adds, from a part's last point to its
        # first, in hundredths of a millimetre.
        edge = max((abs(p[-1].X - p[0].X) + abs(p[-1].Y - p[0].Y) for p in polygons if p),
                   default=0)
        return [f"{kind} {len(polygons)} parts {points} points closed, closing edge {edge}"]
    if kind == "TextShape" or shape.supportsService("com.sun.star.drawing.Text"):
        text = shape.getString() if hasattr(shape, "getString") else ""
        font = shape.getPropertyValue("CharFontName") if text else ""
        if text:
            return [f"{kind} {text!r} {font}"]
    return [kind]


def break_all(office, doc):
    """Breaks every picture on the page into shapes; returns the shapes' lines."""
    page = page_of(doc)
    controller = doc.getCurrentController()
    for i in range(page.getCount()):
        controller.select(page.getByIndex(i))
        office.run(doc, "Break")
    lines = []
    for i in range(page.getCount()):
        lines += describe(page.getByIndex(i))
    return lines


def pictures(page):
    """The pictures on the page, each as its MIME type and kind (vector or bitmap)."""
    kinds = {1: "bitmap", 2: "vector"}
    found = []
    for i in range(page.getCount()):
        shape = page.getByIndex(i)
        if not shape.getPropertySetInfo().hasPropertyByName("Graphic"):
            continue
        graphic = shape.getPropertyValue("Graphic")
        if graphic is None:
            continue
        found.append(f"{graphic.MimeType} {kinds.get(graphic.getType(), 'empty')}")
    return found


def insert_and_break(office, path):
    doc = office.new("draw")
    page = page_of(doc)
    provider = office.smgr.createInstanceWithContext("com.sun.star.graphic.GraphicProvider",
                                                     office.context)
    graphic = provider.queryGraphic((prop("URL", uno.systemPathToFileUrl(path)),))
    shape = doc.createInstance("com.sun.star.drawing.GraphicObjectShape")
    shape.setPropertyValue("Graphic", graphic)
    page.add(shape)
    size = graphic.getPropertyValue("Size100thMM")
    shape.setSize(size)
    print("inserted", graphic.MimeType)
    for line in break_all(office, doc):
        print(line)
    doc.close(True)


def paste(office, kind):
    doc = office.new(kind)
    office.run(doc, "Paste")
    page = page_of(doc)
    for picture in pictures(page) or ["nothing"]:
        print("pasted", picture)
    if kind != "writer":
        for line in break_all(office, doc):
            print(line)
    doc.close(True)


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "quit":
        try:
            Office(sys.argv[1]).desktop.terminate()
        except Exception:
            pass  # the bridge goes down with the office, which may end the call
        return
    if len(sys.argv) != 4 or sys.argv[2] not in ("break", "paste"):
        sys.exit(__doc__)
    office = Office(sys.argv[1])
    if sys.argv[2] == "break":
        insert_and_break(office, sys.argv[3])
    else:
        paste(office, sys.argv[3])


if __name__ == "__main__":
    main()
