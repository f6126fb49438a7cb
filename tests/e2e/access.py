#!/usr/bin/python3
# The player's windows as a screen reader reads them, through the AT-SPI
# registry. One command a run:
#   tree            prints the windows' own controls (the pages left out) and
#                   checks their names, roles, states and actions
#   focus           prints the focused control: "page" for a page's view
#                   (the page itself says which of its links has the
#                   focus), otherwise its role and name
#   press NAME      runs the first action of the control of that name
# Exits 1 with the reasons when a check fails, 2 when the windows are not found.
import sys
import time

import pyatspi

S = pyatspi


def windows():
    # The program joins the registry a moment after its windows show.
    for _ in range(80):
        found = {}
        for app in S.Registry.getDesktop(0):
            for window in app or []:
                if window is not None and window.name in ("Veltaro5.0", "影片介绍"):
                    found[window.name] = window
        if len(found) == 2 or (found and sys.argv[1] != "tree"):
            return found
        time.sleep(0.25)
    sys.exit(2)


def skinned(node):
    """The node's children, the pages' documents left out."""
    return [c for c in node if c is not None and c.getRole() != S.ROLE_DOCUMENT_WEB]


def walk(node, depth=0):
    yield node, depth
    for child in skinned(node):
        yield from walk(child, depth + 1)


def states(node):
    have = node.getState()
    return {n for n, s in (("showing", S.STATE_SHOWING), ("visible", S.STATE_VISIBLE),
                           ("focusable", S.STATE_FOCUSABLE), ("checkable", S.STATE_CHECKABLE),
                           ("checked", S.STATE_CHECKED), ("selected", S.STATE_SELECTED),
                           ("focused", S.STATE_FOCUSED)) if have.contains(s)}


def first_action(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return ""
    return action.getName(0) if action.nActions else ""


def tree():
    found = windows()
    problems = []

    def expect(ok, what):
        if not ok:
            problems.append(what)

    main, promotion = found.get("Veltaro5.0"), found.get("影片介绍")
    expect(main is not None and main.getRoleName() == "frame", "the main window is a frame")
    expect(promotion is not None and promotion.getRoleName() == "dialog",
           "the promotion window is a dialog")
    nodes = {}
    for window in (main, promotion):
        for node, depth in walk(window):
            if node.getRole() in (S.ROLE_FILLER, S.ROLE_PANEL) and not node.name:
                continue
            extents = node.queryComponent().getExtents(S.DESKTOP_COORDS)
            print("%s%s %r [%s] %dx%d %s" % ("  " * depth, node.getRoleName(), node.name,
                                              " ".join(sorted(states(node))), extents.width,
                                              extents.height, first_action(node)))
            nodes.setdefault(node.name, node)

    def control(name, role, more=()):
        node = nodes.get(name)
        if node is None:
            problems.append("no control named %s" % name)
            return
        have = states(node)
        expect(node.getRoleName() == role, "%s is a %s, not a %s" % (name, role, node.getRoleName()))
        for state in ("showing", "visible", "focusable") + tuple(more):
            expect(state in have, "%s is %s" % (name, state))
        expect(first_action(node).lower() == "press", "%s offers press first" % name)
        extents = node.queryComponent().getExtents(S.DESKTOP_COORDS)
        expect(extents.width > 0 and extents.height > 0, "%s has a size" % name)
        return node

    for name in ("窗口置顶", "最小化", "最大化", "退出程序", "关闭"):
        control(name, "push button")
    pin = nodes.get("窗口置顶")
    # Qt 6.4's bridge does not pass "checkable" on; "checked" it does.
    expect(pin is not None and "checked" not in states(pin), "the pin is not checked")
    lists = [n for n in nodes.values() if n.getRoleName() == "page tab list"]
    expect(len(lists) == 1, "one page tab list")
    if lists:
        tabs = [(t.name, t.getRoleName(), "selected" in states(t)) for t in lists[0]]
        expect(tabs == [("返回主页面", "page tab", True), ("影视资源", "page tab", False),
                        ("视频点播", "page tab", False), ("电视直播", "page tab", False),
                        ("应用中心", "page tab", False), ("留言/报错", "page tab", False)],
               "the tabs, home selected: %s" % tabs)
        for tab in lists[0]:
            control(tab.name, "page tab")
    links = [n for n in nodes.values() if n.getRoleName() == "link"]
    expect(len(links) == 2, "two tickers")
    for link in links:
        control(link.name, "link")
        expect(link.name and "<" not in link.name, "ticker %r is plain text" % link.name)
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


def focus():
    for window in windows().values():
        for node, _ in walk(window):
            if "focused" not in states(node):
                continue
            # The view of a page holds its document.
            if any(c is not None and c.getRole() == S.ROLE_DOCUMENT_WEB for c in node):
                print("page")
            else:
                print("%s %s" % (node.getRoleName(), node.name))
            return 0
    print("nothing")
    return 0


def press(name):
    for window in windows().values():
        for node, _ in walk(window):
            if node.name == name and first_action(node):
                node.queryAction().doAction(0)
                return 0
    print("no control named %s" % name)
    return 1


if __name__ == "__main__":
    sys.exit({"tree": tree, "focus": focus}[sys.argv[1]]() if sys.argv[1] != "press"
             else press(sys.argv[2]))
