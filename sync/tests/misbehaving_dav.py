#!/usr/bin/env python3
"""A small CalDAV/CardDAV server on loopback that misbehaves on request, for the sync's tests.

Each test takes a folder of its own, /<session>/ (calendar at cal/, address book at book/),
which starts as a well-behaved server. `POST /_mode/<session>` with a mode name as the body
makes that folder misbehave from then on; `GET /_log/<session>` tells what the server saw.
The modes are the ways servers were seen to fail:
  ok        behaves
  bigprop   listings carry an unknown property of 11 MB text before the items
  missing   a multiget answers 404 for the first item it asks for, though listed
  omit      a multiget leaves the first item it asks for out of its answer
  entity    answers start with a DOCTYPE whose 1 MiB entity is used 1000 times
  noetag    uploads are answered without an ETag
  unstable  every answer gives an item a new ETag (any one given still matches If-Match)
  crlf      listed ETags hold CR LF and a header of their own
  trickle   answers come at 10 bytes a second
  auth      everything is 401
  strict    an upload of a timed event without an end, or holding "REFUSE-ME", is refused
            with 403 and the server's reason; one holding "FAIL-ME" fails with 500
Only 127.0.0.1 is listened on.
"""
import hashlib
import http.server
import re
import socketserver
import sys
import threading
import time
from xml.sax.saxutils import escape

lock = threading.Lock()
sessions = {}  # name -> {"mode", "items": {path: [text, etag_serial, issued etags]}, "log": []}


def session(name):
    with lock:
        return sessions.setdefault(name, {"mode": "ok", "items": {}, "log": [], "serial": 0})


def xml_text(text):
    # CR survives XML only as a character reference.
    return escape(text).replace("\r", "&#13;")


def etag_of(s, path, item):
    if s["mode"] == "unstable":
        s["serial"] += 1
        tag = '"%s-%d"' % (hashlib.sha1(item[0].encode()).hexdigest()[:12], s["serial"])
    else:
        tag = '"%s"' % hashlib.sha1(item[0].encode()).hexdigest()[:16]
    item[1].add(tag)
    return tag


def ctag(s, collection):
    h = hashlib.sha1()
    for path in sorted(s["items"]):
        if path.startswith(collection):
            h.update(path.encode() + s["items"][path][0].encode())
    return h.hexdigest()


def response(href, props, status=None):
    if status:
        return "<D:response><D:href>%s</D:href><D:status>HTTP/1.1 %s</D:status></D:response>" % (
            xml_text(href), status)
    return ("<D:response><D:href>%s</D:href><D:propstat><D:prop>%s</D:prop>"
            "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>") % (xml_text(href), props)


ENTITY = b'<!DOCTYPE D:multistatus [<!ENTITY big "' + b"x" * (1 << 20) + b'">]>'
# Broken into many text pieces by character references, as an item with CRs in it is.
BIG_PROP = '<X:junk xmlns:X="urn:example:junk">' + ("y" * 1000 + "&#13;") * 11000 + "</X:junk>"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *a):
        pass

    def split(self):
        parts = self.path.split("/")
        return parts[1] if len(parts) > 1 else "", parts

    def send(self, status, body=b"", headers=()):
        # Made under the lock, written after it: a slow answer holds up no other request.
        self.pending = (status, body, headers)

    def write_out(self, status, body, headers):
        if isinstance(body, str):
            body = body.encode()
        s = self.s
        if s and s["mode"] == "entity" and body.startswith(b"<?xml"):
            head, rest = body.split(b"?>", 1)
            body = head + b"?>" + ENTITY + rest
            body = body.replace(b"</D:href>", b"&big;" * 1000 + b"</D:href>", 1)
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if s and s["mode"] == "trickle":
            for i in range(0, len(body), 10):
                try:
                    self.wfile.write(body[i:i + 10])
                    self.wfile.flush()
                except OSError:
                    return
                time.sleep(1)
        else:
            self.wfile.write(body)

    def multistatus(self, parts):
        return self.send(207, '<?xml version="1.0" encoding="utf-8"?>\n<D:multistatus xmlns:D="DAV:" '
                         'xmlns:C="urn:ietf:params:xml:ns:caldav" '
                         'xmlns:CR="urn:ietf:params:xml:ns:carddav" '
                         'xmlns:CS="http://calendarserver.org/ns/">' + "".join(parts) +
                         "</D:multistatus>", [("Content-Type", "application/xml; charset=utf-8")])

    def handle_any(self):
        self.pending = (500, b"", ())
        self.dispatch()
        self.write_out(*self.pending)

    def dispatch(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("utf-8", "replace") if length else ""
        name, parts = self.split()
        self.s = None
        if name == "_mode" and len(parts) > 2:
            session(parts[2])["mode"] = body.strip()
            return self.send(204)
        if name == "_log" and len(parts) > 2:
            return self.send(200, "\n".join(session(parts[2])["log"]))
        if not name or name.startswith(".") or name.startswith("_"):
            return self.send(404)
        s = self.s = session(name)
        with lock:
            if any(k.lower().startswith("x-injected") for k in self.headers.keys()):
                s["log"].append("injected")
            s["log"].append(self.command + " " + self.path)
        if s["mode"] == "auth":
            return self.send(401, "", [("WWW-Authenticate", 'Basic realm="test"')])
        home = "/%s/" % name
        method = self.command
        with lock:
            if method == "PROPFIND":
                return self.propfind(s, home, self.headers.get("Depth", "1"))
            if method == "REPORT":
                return self.report(s, body)
            if method == "GET":
                item = s["items"].get(self.path)
                if not item:
                    return self.send(404)
                return self.send(200, item[0], [("ETag", etag_of(s, self.path, item))])
            if method == "PUT":
                return self.put(s, home, body)
            if method == "DELETE":
                item = s["items"].get(self.path)
                if not item:
                    return self.send(404)
                match = self.headers.get("If-Match")
                if match and match not in item[1]:
                    return self.send(412)
                del s["items"][self.path]
                return self.send(204)
        return self.send(405)

    def put(self, s, home, body):
        path = self.path
        if not (path.startswith(home + "cal/") or path.startswith(home + "book/")):
            return self.send(403)
        item = s["items"].get(path)
        if self.headers.get("If-None-Match") == "*" and item:
            return self.send(412)
        match = self.headers.get("If-Match")
        if match and (not item or match not in item[1]):
            return self.send(412)
        if s["mode"] == "strict":
            reason = None
            if "REFUSE-ME" in body:
                reason = "The calendar item holds a word this server refuses"
            elif "BEGIN:VEVENT" in body and re.search(r"\nDTSTART[^:\n]*:\d{8}T", body) \
                    and not re.search(r"\n(DTEND|DURATION)[;:]", body):
                reason = "DTEND must occur after DTSTART"
            if "FAIL-ME" in body:
                return self.send(500)
            if reason:
                return self.send(403, '<?xml version="1.0"?><D:error xmlns:D="DAV:" '
                                 'xmlns:C="urn:ietf:params:xml:ns:caldav"><C:valid-calendar-data/>'
                                 "<D:responsedescription>%s</D:responsedescription></D:error>"
                                 % reason, [("Content-Type", "application/xml")])
        new = [body, set()]
        s["items"][path] = new
        tag = etag_of(s, path, new)
        headers = [] if s["mode"] == "noetag" else [("ETag", tag)]
        return self.send(204 if item else 201, "", headers)

    def propfind(self, s, home, depth):
        path = self.path
        coll_type = {"cal/": "<D:collection/><C:calendar/>", "book/": "<D:collection/><CR:addressbook/>"}
        if path == home:
            out = [response(home, "<D:resourcetype><D:collection/></D:resourcetype>"
                            "<D:current-user-principal><D:href>%s</D:href></D:current-user-principal>"
                            "<C:calendar-home-set><D:href>%s</D:href></C:calendar-home-set>"
                            "<CR:addressbook-home-set><D:href>%s</D:href></CR:addressbook-home-set>"
                            % (home, home, home))]
            if depth != "0":
                for sub, t in coll_type.items():
                    comps = ('<C:supported-calendar-component-set><C:comp name="VEVENT"/>'
                             "</C:supported-calendar-component-set>") if sub == "cal/" else ""
                    out.append(response(home + sub, "<D:resourcetype>%s</D:resourcetype>"
                                        "<D:displayname>%s</D:displayname>%s" % (t, sub[:-1], comps)))
            return self.multistatus(out)
        sub = path[len(home):]
        if sub not in coll_type:
            return self.send(404)
        out = [response(path, "<D:resourcetype>%s</D:resourcetype><D:displayname>%s</D:displayname>"
                        "<CS:getctag>%s</CS:getctag>" % (coll_type[sub], sub[:-1], ctag(s, path)))]
        if depth != "0":
            if s["mode"] == "bigprop":
                out.append(response(path + "junk/", BIG_PROP))
            for item_path in sorted(s["items"]):
                if item_path.startswith(path):
                    tag = etag_of(s, item_path, s["items"][item_path])
                    if s["mode"] == "crlf":
                        tag = tag[:-1] + '\r\nX-Injected: 1\r\n"'
                    out.append(response(item_path, "<D:getetag>%s</D:getetag>" % xml_text(tag)))
        return self.multistatus(out)

    def report(self, s, body):
        collection = self.path
        data = "C:calendar-data" if "calendar" in body else "CR:address-data"
        if "multiget" in body:
            hrefs = re.findall(r"<D:href>([^<]*)</D:href>", body)
        else:
            hrefs = sorted(p for p in s["items"] if p.startswith(collection))
        # The largest first, so that a parser that stops there loses everything after it.
        hrefs.sort(key=lambda h: -len(s["items"].get(h, [""])[0]))
        out = []
        for i, href in enumerate(hrefs):
            item = s["items"].get(href)
            if i == 0 and s["mode"] == "omit":
                continue
            if not item or (i == 0 and s["mode"] == "missing"):
                out.append(response(href, "", "404 Not Found"))
                continue
            out.append(response(href, "<D:getetag>%s</D:getetag><%s>%s</%s>"
                                % (xml_text(etag_of(s, href, item)), data, xml_text(item[0]), data)))
        return self.multistatus(out)

    do_PROPFIND = do_REPORT = do_GET = do_PUT = do_DELETE = do_POST = handle_any


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


Server(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()
