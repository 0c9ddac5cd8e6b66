"""The desktop's web browser, as far as the suite needs one: a stand-in that notes
the addresses Lanto opens, and the sign-in a person does on the service's page."""

import html.parser
import http.client
import os
import urllib.parse

from e2e_base import Failure, wait_until


class Browser:
    """The browser side of a Session: needs its home, env and run()."""

    def install_browser(self):
        """Makes a stand-in browser the desktop's handler of web addresses: it notes
        each address it is asked to open, for the path to act on as a person would."""
        script = os.path.join(self.home, ".local", "bin", "e2e-browser")
        os.makedirs(os.path.dirname(script), exist_ok=True)
        with open(script, "w") as out:
            out.write('#!/bin/sh\nprintf "%s\\n" "$1" >> "$HOME/browser-addresses"\n')
        os.chmod(script, 0o755)
        applications = os.path.join(self.env["XDG_DATA_HOME"], "applications")
        os.makedirs(applications, exist_ok=True)
        with open(os.path.join(applications, "e2e-browser.desktop"), "w") as out:
            out.write("[Desktop Entry]\nType=Application\nName=Browser\nExec=" + script
                      + " %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
        self.run(["xdg-mime", "default", "e2e-browser.desktop", "x-scheme-handler/http",
                  "x-scheme-handler/https"], check=True)
        self.env["BROWSER"] = script

    def wait_for_browser(self, timeout=15):
        """The address the desktop's browser was last asked to open."""
        path = os.path.join(self.home, "browser-addresses")

        def opened():
            try:
                with open(path) as lines:
                    return lines.read().split()
            except FileNotFoundError:
                return None
        addresses = wait_until(opened, timeout, "Lanto to open the sign-in page in the browser")
        os.remove(path)
        return addresses[-1]


class _Form(html.parser.HTMLParser):
    """The fields of the first form of a page."""

    def __init__(self):
        super().__init__()
        self.action, self.fields = None, {}

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "form" and self.action is None:
            self.action = attrs.get("action", "")
        elif tag == "input" and attrs.get("name") and attrs.get("type") != "submit":
            self.fields[attrs["name"]] = attrs.get("value", "")


def browser_sign_in(authorize_url, display_name):
    """Does what a browser does with the authorize page: fills the name in, presses
    Continue, and follows the redirects; returns the address it is finally handed."""
    url = urllib.parse.urlsplit(authorize_url)
    connection = http.client.HTTPConnection(url.hostname, url.port, timeout=30)
    connection.request("GET", url.path + "?" + url.query)
    page = connection.getresponse()
    if page.status != 200:
        raise Failure(f"the authorize page answered {page.status}")
    form = _Form()
    form.feed(page.read().decode())
    fields = dict(form.fields, name=display_name, action="continue")
    connection.request("POST", form.action, urllib.parse.urlencode(fields),
                       {"Content-Type": "application/x-www-form-urlencoded"})
    reply = connection.getresponse()
    reply.read()
    for _ in range(5):
        location = reply.getheader("Location")
        if reply.status not in (301, 302, 303, 307) or not location:
            raise Failure(f"sign-in ended at HTTP {reply.status} without a hand-over to Lanto")
        target = urllib.parse.urlsplit(urllib.parse.urljoin(authorize_url, location))
        if target.scheme not in ("http", "https"):
            return target.geturl()
        connection.request("GET", target.path + "?" + target.query)
        reply = connection.getresponse()
        reply.read()
    raise Failure("too many redirects in the sign-in")
