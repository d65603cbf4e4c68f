#!/usr/bin/env python3
"""Turns the feature reports that DravikDemo.exe wrote to its virtual HID panels into what a
person would see on the panels.

    hid_reports.py <report log> [<programming file>]

The log has one report a line, "<serial> <byte> <byte> ...", the bytes in hexadecimal, report
id first. The programming file (the annunciator's lamp programming) names the annunciator's
lamps. It prints, for each panel, every state its displays and lamps took, in order.
"""

import sys
import xml.etree.ElementTree as ElementTree

MULTI_LAMPS = ["AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"]
GEAR_LEGS = [("N", 0x01, 0x08), ("L", 0x02, 0x10), ("R", 0x04, 0x20)]
LAMP_COLOURS = {1: "green", 2: "red", 3: "amber"}


def read_log(path):
    """(serial, report bytes) for every line of the log, in order."""
    entries = []
    with open(path, encoding="ascii") as log:
        for line in log:
            words = line.split()
            if len(words) >= 2:
                entries.append((words[0], bytes(int(word, 16) for word in words[1:])))
    return entries


def read_lamp_names(path, serial):
    """Lamp number -> (indication name, colour word) programmed for the device `serial`."""
    names = {}
    if not path:
        return names
    root = ElementTree.parse(path).getroot()
    for entry in root.iter("LumoProgramming"):
        if entry.get("Id") != serial:
            continue
        for lense in entry.findall("Lense"):
            lamp = lense.findtext("Assignment", "").strip()
            if lamp.isdigit():
                names[int(lamp)] = (lense.findtext("Id", ""), lense.findtext("Colour", ""))
    return names


def radio_cell(byte):
    """One digit position of the radio panel: (character, decimal point)."""
    if byte <= 9:
        return str(byte), False
    if byte & 0xF0 == 0xD0 and byte & 0x0F <= 9:
        return str(byte & 0x0F), True
    return (" " if byte == 0xFF else "?"), False


def multi_cell(byte):
    if byte <= 9:
        return str(byte), False
    if byte == 0x0E:
        return "-", False
    return (" " if byte in (0xFF, 0x0F) else "?"), False


def display_text(cells):
    return "".join(char + ("." if dot else "") for char, dot in cells)


def decode(report):
    """What one report makes the panel show, as a dictionary with the panel's kind; None for a
    report of no known panel."""
    if len(report) == 23 and report[0] == 0x00:
        cells = [[radio_cell(b) for b in report[1 + 5 * i: 6 + 5 * i]] for i in range(4)]
        return {"kind": "radio", "displays": cells, "closed": all(b == 0xFF for b in report[1:])}
    if len(report) == 13 and report[0] == 0x00:
        return {"kind": "multi",
                "displays": [[multi_cell(b) for b in report[1:6]],
                             [multi_cell(b) for b in report[6:11]]],
                "lamps": [(name, bool(report[11] & (1 << bit)))
                          for bit, name in enumerate(MULTI_LAMPS)]}
    if len(report) == 2 and report[0] == 0x00:
        legs = []
        for name, down, transit in GEAR_LEGS:
            state = "down" if report[1] & down else "transit" if report[1] & transit else "off"
            legs.append((name, state))
        return {"kind": "switch", "legs": legs}
    if len(report) == 7 and report[0] == 0xB8:
        lamps = []
        for lamp in range(24):
            green = report[1 + lamp // 8] >> (lamp % 8) & 1
            red = report[4 + lamp // 8] >> (lamp % 8) & 1
            lamps.append({(1, 0): "green", (0, 1): "red", (1, 1): "amber"}.get((green, red)))
        return {"kind": "annunciator", "lamps": lamps}
    if len(report) == 2 and report[0] == 0xB2:
        return {"kind": "brightness", "level": report[1]}
    return None


def describe(state, lamp_names=None):
    """One line of text for a decoded state."""
    kind = state["kind"]
    if kind == "radio":
        if state["closed"]:
            return "closed: all displays dark"
        texts = [display_text(cells) for cells in state["displays"]]
        return f"upper [{texts[0]}] [{texts[1]}]  lower [{texts[2]}] [{texts[3]}]"
    if kind == "multi":
        lit = " ".join(name for name, on in state["lamps"] if on) or "no lamps"
        texts = [display_text(cells) for cells in state["displays"]]
        return f"[{texts[0]}] [{texts[1]}]  {lit}"
    if kind == "switch":
        return "gear " + ", ".join(f"{name} {leg}" for name, leg in state["legs"])
    if kind == "annunciator":
        names = lamp_names or {}
        lit = [f"{names.get(lamp, (f'lamp {lamp}',))[0]} {colour}"
               for lamp, colour in enumerate(state["lamps"]) if colour]
        return ", ".join(lit) if lit else "all lamps dark"
    return f"brightness {state['level']}"


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: hid_reports.py <report log> [<programming file>]")
    entries = read_log(sys.argv[1])
    programming = sys.argv[2] if len(sys.argv) == 3 else None
    serials = list(dict.fromkeys(serial for serial, _ in entries))
    for serial in serials:
        names = read_lamp_names(programming, serial)
        print(f"{serial}:")
        last = None
        for entry_serial, report in entries:
            state = decode(report) if entry_serial == serial else None
            if state is None or state == last:
                continue
            print("   " + describe(state, names))
            last = state


if __name__ == "__main__":
    main()
