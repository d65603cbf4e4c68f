#!/usr/bin/env python3
"""Writes the demo's page, "<demo folder>/index.html": every device of the run, step by step.

    demo_page.py <demo folder>

It reads what scripts/demo leaves in the demo folder:
- "timeline.txt": one line per step of the scenario, as the step began:
  "<title>\tlines=<n>\tframes:<serial>=<n>...\thid=<n>", the number of joystick lines, of each
  instrument panel's frames and of HID feature reports written so far;
- "page-names.txt": "<page id> <name>" per line;
- "devices/JOY1-lines.log" and "devices/JOY1.txt": the joystick display's lines as written, and
  what it showed at the end;
- "panels/<serial>/frame<NNNN>-page<P>.png": each instrument panel's frames, and
  "panels/second-run/<serial>/last-page<P>.png" with "devices-second-run/<serial>.txt", each
  page's image and the active page in the second run;
- "hid-reports.log" and "LumoProgramming.xml": the feature reports of the HID panels and the
  annunciator's lamp programming.
"""

import html
import os
import re
import sys

import hid_reports

JOYSTICK = "JOY1"
FRAME = re.compile(r"^frame(?P<number>\d+)-page(?P<page>\d+)\.png$")
LINE = re.compile(r"^page (?P<page>\d+) line (?P<line>\d+): (?P<text>.*)$")
HID_TITLES = {"radio": "Radio panel", "multi": "Multi panel", "switch": "Switch panel",
              "annunciator": "Annunciator panel", "brightness": "Annunciator panel"}

STYLE = """
body { font-family: "Liberation Sans", Arial, sans-serif; background: #1b1f24; color: #e4e6e9;
       margin: 20px 28px; }
h1 { margin: 0 0 4px; font-size: 26px; }
h2 { font-size: 19px; margin: 26px 0 10px; color: #cfd8e3; }
h3 { font-size: 13px; margin: 0 0 8px; color: #9fb3c8; font-weight: normal; }
p.lead { color: #aab4bf; max-width: 75em; margin: 4px 0 14px; }
.row { display: flex; flex-wrap: wrap; gap: 12px; align-items: flex-start; }
.card { background: #262c33; border-radius: 8px; padding: 10px 12px; }
.step { border-top: 1px solid #38404a; padding: 6px 0 12px; }
.step h2 { margin: 10px 0 8px; }
.step h2 .n { color: #7d8a99; margin-right: 6px; }
.lines { font-family: "Liberation Mono", monospace; font-size: 13px; }
.lines div { white-space: pre; }
.lines .p { color: #7d8a99; }
.lcd { font-family: "Liberation Mono", monospace; font-size: 16px; background: #a9c27a;
       color: #1d2a10; padding: 6px 10px; border-radius: 4px; white-space: pre; line-height: 1.3; }
figure { margin: 0; text-align: center; }
figure img { width: 160px; height: 120px; border: 1px solid #47505b; display: block; }
figure.big img { width: 320px; height: 240px; }
figcaption { font-size: 11px; color: #8f9baa; margin-top: 2px; }
.strip { display: flex; flex-wrap: wrap; gap: 8px; align-items: flex-start; }
.hid { background: #121417; border: 1px solid #3a3f46; border-radius: 6px; padding: 6px 8px; }
.displays { display: grid; grid-template-columns: auto auto; gap: 4px 8px; }
.seg { font-family: "Liberation Mono", monospace; font-weight: bold; font-size: 19px;
       background: #170500; padding: 1px 5px; border-radius: 2px; white-space: nowrap; }
.d { display: inline-block; width: 0.72em; text-align: center; position: relative;
     color: #ff5a1a; text-shadow: 0 0 5px #ff3a00; }
.d.off { color: #2e0d02; text-shadow: none; }
.d.dp::after { content: "."; position: absolute; right: -0.3em; bottom: -0.05em; }
.lamps { display: flex; gap: 3px; margin-top: 5px; }
.lamp { font-size: 10px; padding: 2px 4px; border-radius: 3px; background: #2b2f35;
        color: #6b737d; }
.lamp.on { background: #35d04f; color: #05210b; box-shadow: 0 0 6px #35d04f; }
.gear { display: flex; gap: 8px; }
.leg { text-align: center; font-size: 10px; color: #8f9baa; }
.leg i { display: block; width: 22px; height: 22px; border-radius: 50%; background: #24282d;
         border: 1px solid #454c55; margin-bottom: 2px; }
.leg i.down { background: #35d04f; box-shadow: 0 0 6px #35d04f; }
.leg i.transit { background: #e5392a; box-shadow: 0 0 6px #e5392a; }
.ann { display: grid; grid-template-columns: repeat(8, 64px); gap: 3px; }
.ann div { height: 26px; font-size: 9px; line-height: 11px; display: flex; align-items: center;
           justify-content: center; text-align: center; background: #1f2226; color: #4d545c;
           border-radius: 2px; overflow: hidden; }
.ann div.green { background: #23b541; color: #fff; box-shadow: 0 0 5px #23b541; }
.ann div.red { background: #d9281d; color: #fff; box-shadow: 0 0 5px #d9281d; }
.ann div.amber { background: #f0a81c; color: #2a1a00; box-shadow: 0 0 5px #f0a81c; }
.note { font-size: 11px; color: #8f9baa; margin-top: 3px; }
"""


def esc(text):
    return html.escape(str(text), quote=True)


def read_lines(path, encoding="utf-8"):
    if not os.path.exists(path):
        return []
    with open(path, encoding=encoding, errors="replace") as f:
        return [line.rstrip("\r\n") for line in f]


def read_timeline(demo):
    steps = []
    for line in read_lines(os.path.join(demo, "timeline.txt")):
        title, *fields = line.split("\t")
        counts = dict(field.split("=", 1) for field in fields)
        steps.append((title, {key: int(value) for key, value in counts.items()}))
    return steps


def read_page_names(demo):
    names = {}
    for line in read_lines(os.path.join(demo, "page-names.txt")):
        number, _, name = line.partition(" ")
        names[int(number)] = name
    return names


def read_frames(folder):
    """serial -> [(frame number, page, path relative to the demo folder)], in order."""
    frames = {}
    if not os.path.isdir(folder):
        return frames
    for serial in sorted(os.listdir(folder)):
        if not os.path.isdir(os.path.join(folder, serial)) or serial == "second-run":
            continue
        for name in sorted(os.listdir(os.path.join(folder, serial))):
            match = FRAME.match(name)
            if match:
                frames.setdefault(serial, []).append(
                    (int(match["number"]), int(match["page"]), os.path.join(folder, serial, name)))
    return frames


def final_joystick_lines(demo):
    """The three lines of the page the joystick display showed at the end."""
    active = None
    lines = {}
    page = None
    for line in read_lines(os.path.join(demo, "devices", JOYSTICK + ".txt")):
        if line.startswith("Active page: "):
            active = line.split(": ", 1)[1]
        elif line.startswith("Page "):
            page = line[5:].split(",", 1)[0]
        elif line.startswith("  Line ") and page == active:
            index, _, text = line[7:].partition(": ")
            lines[int(index)] = text
    return active, [lines.get(i, "") for i in range(3)]


# The HID panels' widgets.

def digits_html(cells):
    spans = []
    for char, dot in cells:
        if char == " ":
            spans.append('<span class="d off">8</span>')
        else:
            spans.append(f'<span class="d{" dp" if dot else ""}">{esc(char)}</span>')
    return f'<span class="seg">{"".join(spans)}</span>'


def hid_html(state, lamp_names):
    kind = state["kind"]
    if kind == "radio":
        cells = "".join(digits_html(display) for display in state["displays"])
        note = '<div class="note">closed</div>' if state["closed"] else ""
        return f'<div class="hid"><div class="displays">{cells}</div>{note}</div>'
    if kind == "multi":
        displays = "<br>".join(digits_html(display) for display in state["displays"])
        lamps = "".join(f'<span class="lamp{" on" if on else ""}">{esc(name)}</span>'
                        for name, on in state["lamps"])
        return f'<div class="hid">{displays}<div class="lamps">{lamps}</div></div>'
    if kind == "switch":
        legs = "".join(f'<div class="leg"><i class="{leg}"></i>{esc(name)}</div>'
                       for name, leg in state["legs"])
        return f'<div class="hid"><div class="gear">{legs}</div></div>'
    if kind == "annunciator":
        cells = []
        for lamp, colour in enumerate(state["lamps"]):
            name = lamp_names.get(lamp, ("",))[0]
            cells.append(f'<div class="{colour or ""}" title="lamp {lamp}">{esc(name)}</div>')
        return f'<div class="hid"><div class="ann">{"".join(cells)}</div></div>'
    return f'<div class="hid note">brightness {state["level"]}</div>'


def card(title, body):
    return f'<div class="card"><h3>{esc(title)}</h3>{body}</div>'


class Page:
    def __init__(self, demo):
        self.demo = demo
        self.steps = read_timeline(demo)
        self.page_names = read_page_names(demo)
        self.joystick = [LINE.match(line) for line in
                         read_lines(os.path.join(demo, "devices", JOYSTICK + "-lines.log"))]
        self.frames = read_frames(os.path.join(demo, "panels"))
        self.second_run = read_frames(os.path.join(demo, "panels", "second-run"))
        self.hid = hid_reports.read_log(os.path.join(demo, "hid-reports.log"))
        programming = os.path.join(demo, "LumoProgramming.xml")
        self.lamp_names = {}
        for serial in dict.fromkeys(serial for serial, _ in self.hid):
            if os.path.exists(programming):
                self.lamp_names[serial] = hid_reports.read_lamp_names(programming, serial)

    def page_name(self, page):
        name = self.page_names.get(page)
        return f"page {page}" + (f" ({name})" if name else "")

    def bounds(self, index, key):
        """The range of entries of `key` that step `index` produced."""
        start = self.steps[index][1].get(key, 0)
        if index + 1 < len(self.steps):
            return start, self.steps[index + 1][1].get(key, 0)
        return start, None

    def hid_states(self, start, end, shown):
        """serial -> decoded states new in the log's entries [start, end); `shown` holds each
        panel's last state and is brought up to date."""
        states = {}
        for serial, report in self.hid[start:end]:
            state = hid_reports.decode(report)
            key = (serial, state and state["kind"])
            if state is None or shown.get(key) == state:
                continue
            shown[key] = state
            states.setdefault(serial, []).append(state)
        return states

    def overview(self):
        cards = []
        active, lines = final_joystick_lines(self.demo)
        if active:
            lcd = esc("\n".join(lines))
            cards.append(card(f"Joystick display {JOYSTICK}, {self.page_name(int(active))}",
                              f'<div class="lcd">{lcd}</div>'))
        for serial, frames in self.frames.items():
            number, page, path = frames[-1]
            cards.append(card(f"Instrument panel {serial}, {self.page_name(page)}",
                              f'<figure class="big"><img src="{esc(path)}" alt="{esc(serial)}">'
                              f"<figcaption>frame {number}</figcaption></figure>"))
        # The HID panels as the flight ended, before the program closed them.
        end = self.steps[-1][1].get("hid", len(self.hid)) if self.steps else len(self.hid)
        last = {}
        for serial, report in self.hid[:end]:
            state = hid_reports.decode(report)
            if state and state["kind"] != "brightness":
                last[serial] = state
        for serial, state in last.items():
            cards.append(card(f"{HID_TITLES[state['kind']]} {serial}",
                              hid_html(state, self.lamp_names.get(serial, {}))))
        return f'<div class="row">{"".join(cards)}</div>'

    def step(self, index, shown_lines, shown_hid):
        title = self.steps[index][0]
        cards = []
        start, end = self.bounds(index, "lines")
        rows = []
        for match in self.joystick[start:end]:
            if not match:
                continue
            key = (match["page"], match["line"])
            if shown_lines.get(key) == match["text"]:
                continue
            shown_lines[key] = match["text"]
            name = self.page_name(int(match["page"]))
            rows.append(f'<div><span class="p">{esc(name)} line {match["line"]}:</span> '
                        f'{esc(match["text"])}</div>')
        if rows:
            cards.append(card(f"Joystick display {JOYSTICK}: its lines as they changed",
                              f'<div class="lines">{"".join(rows)}</div>'))
        for serial, frames in self.frames.items():
            start, end = self.bounds(index, "frames:" + serial)
            figures = [f'<figure><a href="{esc(path)}"><img src="{esc(path)}" alt=""></a>'
                       f"<figcaption>#{number} {esc(self.page_name(page))}</figcaption></figure>"
                       for number, page, path in frames if number > start and
                       (end is None or number <= end)]
            if figures:
                cards.append(card(f"Instrument panel {serial}: {len(figures)} frames",
                                  f'<div class="strip">{"".join(figures)}</div>'))
        start, end = self.bounds(index, "hid")
        for serial, states in self.hid_states(start, end, shown_hid).items():
            names = self.lamp_names.get(serial, {})
            title_of = HID_TITLES[states[0]["kind"]]
            widgets = "".join(hid_html(state, names) for state in states)
            cards.append(card(f"{title_of} {serial}", f'<div class="strip">{widgets}</div>'))
        body = "".join(cards) or '<p class="note">Nothing changed on the devices.</p>'
        return (f'<div class="step" id="step{index + 1}"><h2><span class="n">{index + 1}.</span>'
                f'{esc(title)}</h2>'
                f'<div class="row">{body}</div></div>')

    def second(self):
        """Each instrument panel's active page when the program started again, as it showed it."""
        cards = []
        for serial in self.second_run:
            active = None
            for line in read_lines(os.path.join(self.demo, "devices-second-run", serial + ".txt")):
                if line.startswith("Active page: "):
                    active = line.split(": ", 1)[1]
            path = os.path.join(self.demo, "panels", "second-run", serial, f"last-page{active}.png")
            if active and os.path.exists(path):
                cards.append(card(f"Instrument panel {serial}, {self.page_name(int(active))}",
                                  f'<figure class="big"><img src="{esc(path)}" alt=""></figure>'))
        if not cards:
            return ""
        return ("<h2>Second run of Dravik.exe: each instrument panel starts on the gauge it showed"
                f' last</h2><div class="row">{"".join(cards)}</div>')

    def write(self, path):
        shown_lines, shown_hid = {}, {}
        steps = "".join(self.step(i, shown_lines, shown_hid) for i in range(len(self.steps)))
        page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Dravik demo</title>
<style>{STYLE}</style></head><body>
<h1>Dravik demo: every device of one scripted flight</h1>
<p class="lead">The stand-in simulator flew a short scenario while DravikDemo.exe (the program
with its HID panels on virtual panels) drove a joystick display and two instrument panels of the
stand-in display-device service and the radio, multi, switch and annunciator panels. The
script pressed the joystick's soft buttons, turned the panels' knobs, moved their selectors and
switches. Below: what each device showed at the end of the flight, then step by step what
changed on it, in the order the scenario produced it.</p>
<h2>At the end of the flight</h2>
{self.overview()}
<h2>Step by step</h2>
{steps}
{self.second()}
</body></html>
"""
        with open(path, "w", encoding="utf-8") as f:
            f.write(page)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: demo_page.py <demo folder>")
    demo = sys.argv[1]
    os.chdir(demo)
    Page(".").write("index.html")
    print(os.path.join(demo, "index.html"))


if __name__ == "__main__":
    main()
