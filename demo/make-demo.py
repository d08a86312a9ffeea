#!/usr/bin/env python3
"""Writes the demo download server's content into demo/download/.

    demo/download/norvane/download/   usb-version.txt, usb-news.csv, usb-list.csv and
                                      every package named in the catalogue, stored
                                      under its name with ".txt" appended
    demo/download/*.php               the web pages the program opens in the browser

Server texts are Windows-1252 with CR LF line ends, like the real server's. Package
contents are made from a fixed seed, and zip entries carry a fixed date, so running
the script again gives the same bytes. Only Python's standard library is used.

    python3 demo/make-demo.py
"""

import random
import shutil
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent / "download"
FOLDER = ROOT / "norvane" / "download"
CRLF = "\r\n"
ZIP_DATE = (2025, 3, 14, 9, 30, 0)
LISTS = ["Österreich", "Deutschland", "Italia", "France", "Spain"]


def cp1252(text: str) -> bytes:
    return text.encode("cp1252")


# Catalogue rows: name, picture, firmware package (None = no firmware), state,
# change note, five channel lists as (package, state) or None, extra fields.
# The rows follow the receiver options of the main window, Q110 to Q400 HD.
RECEIVERS = [
    ("Q110", "q110.png", None, "", "Keine neue Firmware mehr für dieses Modell",
     [("Settings_AT_Q110.txt", "02.2024"), None, None, None, None], []),
    ("Q120", "q120.png", "Q120_Firmware.zip", "21.01.2025",
     "Verbesserte Sendersuche, Teletext-Anzeige korrigiert",
     [("Settings_AT_Q120.txt", "03.2025"), ("setting_de.sdx", "03.2025"), None, None, None], []),
    ("Q130", "q130.png", None, "", "",
     [None, None, None, None, None], []),
    ("Q140", "q140.png", "Q140 Firmware.zip", "02.02.2025",
     "CI-Modul wird nach Standby wieder erkannt",
     [None, None, ("Canali Italia Q140.sdx", "02.2025"), None, None], []),
    ("Q200 HD", "q200.png", "Q200HD_Firmware.zip", "28.02.2025",
     "Aufnahme auf USB-Festplatte stabiler, Timer-Fehler behoben",
     [("Senderliste_Österreich_Q200.txt", "03.2025"), ("setting_de_q200.sdx", "03.2025"), None,
      ("setting_fr_q200.sdx", "02.2025"), None], ["Empfohlen", "intern"]),
    ("Q210 HD", "q210.png", "Q210HD_Firmware.zip", "10.01.2025",
     "DVB-T2 Sendersuchlauf ergänzt",
     [None, None, None, None, None], []),
    ("Q220 HD", "q220.png", None, "", "Firmware folgt in Kürze",
     [None, ("setting_de_q220.sdx", "01.2025"), None, None, None], []),
    ("Q300 HD", "q300.png", "Q300HD_Firmware.zip", "14.03.2025",
     "Neue Menüführung, schnellere Umschaltzeiten, EPG-Fehler behoben",
     [("Settings_AT_Q300.txt", "03.2025"), ("setting_de_q300.sdx", "03.2025"),
      ("setting_it_q300.sdx", "01.2025"), ("setting_fr_q300.sdx", "12.2024"),
      ("setting_es_q300.sdx", "11.2024")],
     ["Empfohlenes Update"]),
    ("Q400 HD", "q400.png", "Q400HD_Firmware.zip", "07.03.2025",
     "Twin-Tuner: Bild-in-Bild verbessert, Netzwerk-Update vorbereitet",
     [("Settings_AT_Q400.txt", "03.2025"), ("setting_de_q400.sdx", "03.2025"),
      ("setting_it_q400.sdx", "02.2025"), None, None],
     ["Neu"]),
]

# Firmware payload size in bytes per package; one is large enough that the
# download shows several progress dots.
FIRMWARE_SIZES = {
    "Q120_Firmware.zip": 12_000,
    "Q140 Firmware.zip": 16_000,
    "Q200HD_Firmware.zip": 32_000,
    "Q210HD_Firmware.zip": 20_000,
    "Q300HD_Firmware.zip": 200_000,
    "Q400HD_Firmware.zip": 40_000,
}

NEWS = [
    "Neue Firmware für Q300 HD verfügbar",
    "Senderliste Österreich aktualisiert",
    "Q400 HD: Bild-in-Bild verbessert",
    "Tipp: USB-Stick mit FAT32 formatieren – max. 32 GB",
]

STATIC_PAGES = {
    "s_product_catalog.php": ("Norvane HDTV-PVR – Produktkatalog", """
<p>Die neue Version des Norvane USB-Stick Updatetools steht zum Download bereit.</p>
<ul>
  <li><a href="/norvane/download/usb-version.txt">Aktuelle Programmversion</a></li>
  <li>Norvane Q120, Q140, Q200 HD, Q210 HD, Q300 HD, Q400 HD</li>
</ul>
<p>Bitte installieren Sie die aktuelle Version und starten Sie das Programm erneut.</p>
"""),
    "norv_grauimport_h.php": ("Seriennummern Garantie-Check", """
<p>Prüfen Sie hier, ob Ihr Receiver über den offiziellen Fachhandel in Österreich bezogen wurde.</p>
<form action="#" method="get">
  <label>Seriennummer: <input name="sn" size="20"></label>
  <button type="submit">Prüfen</button>
</form>
<p><small>Demo-Seite: Es wird keine Seriennummer geprüft.</small></p>
"""),
    "index_link.php": ("Norvane – Danke für Ihr Update", """
<p>Ihr USB-Stick ist bereit. Stecken Sie ihn in den Receiver und starten Sie
die USB-Datenübernahme im Menü „Einstellungen → Software-Update“.</p>
"""),
}


def page(title: str, body: str) -> bytes:
    html = f"""<!DOCTYPE html>
<html lang="de">
<head><meta charset="utf-8"><title>{title}</title></head>
<body>
<h1>{title}</h1>{body}<p><a href="/s_product_catalog.php">Produktkatalog</a> ·
<a href="/norv_grauimport_h.php">Garantie-Check</a></p>
</body>
</html>
"""
    return html.encode("utf-8")


def firmware_zip(name: str, model: str, stand: str, note: str, size: int, rng: random.Random) -> bytes:
    folder = "update/" + model.split()[0].lower()
    readme = CRLF.join([
        f"Norvane {model} Firmware, Stand {stand}",
        "",
        f"Änderungen: {note}",
        "",
        "1. USB-Stick am Receiver anstecken.",
        "2. Menü > Einstellungen > Software-Update > USB wählen.",
        "3. Während des Updates den Receiver nicht ausschalten!",
        "",
    ])
    path = FOLDER / (name + ".txt")
    with zipfile.ZipFile(path, "w") as archive:
        entries = [
            (folder + "/firmware.bin", rng.randbytes(size), zipfile.ZIP_STORED),
            (folder + "/readme.txt", cp1252(readme), zipfile.ZIP_DEFLATED),
            (folder + "/checksum.md5", f"{rng.getrandbits(128):032x}  firmware.bin\r\n".encode(),
             zipfile.ZIP_STORED),
        ]
        for entry, data, method in entries:
            info = zipfile.ZipInfo(entry, ZIP_DATE)
            info.compress_type = method
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
    return path.read_bytes()


def channel_list(name: str, list_index: int, model: str, stand: str, rng: random.Random) -> None:
    path = FOLDER / (name + ".txt")
    if name.endswith(".sdx"):
        # Binary receiver format: a small header and fixed-size channel records.
        data = bytearray(b"NVSDX\x01\x00" + bytes([list_index]))
        for number in range(1, 41):
            record = f"Kanal {number:03d}".encode("ascii").ljust(24, b"\0")
            data += record + rng.randbytes(8)
        path.write_bytes(bytes(data))
    else:
        stations = ["ORF 1 HD", "ORF 2 HD", "ORF III", "ServusTV HD Österreich", "ATV HD", "PULS 4",
                    "ORF Sport +", "Ö1", "Hitradio Ö3", "FM4"]
        lines = [f"; Senderliste {LISTS[list_index]} für Norvane {model}, Stand {stand}"]
        lines += [f"{n};{s};11{300 + 13 * n};H;22000" for n, s in enumerate(stations, 1)]
        path.write_bytes(cp1252(CRLF.join(lines) + CRLF))


def main() -> None:
    if FOLDER.exists():
        shutil.rmtree(FOLDER)
    FOLDER.mkdir(parents=True)
    rng = random.Random(20250314)

    (FOLDER / "usb-version.txt").write_bytes(b"2.0")
    (FOLDER / "usb-news.csv").write_bytes(cp1252(";".join(NEWS) + CRLF))

    rows = []
    for model, picture, firmware, stand, note, lists, extra in RECEIVERS:
        fields = [model, picture, firmware or "", stand, note]
        for j, entry in enumerate(lists):
            fields += list(entry) if entry else ["", ""]
        fields += extra
        assert len(fields) >= 15 and not any(";" in f or "\r\n" in f for f in fields)
        rows.append(";".join(fields))
        if firmware:
            firmware_zip(firmware, model, stand, note, FIRMWARE_SIZES[firmware], rng)
        for j, entry in enumerate(lists):
            if entry:
                channel_list(entry[0], j, model, entry[1], rng)
    (FOLDER / "usb-list.csv").write_bytes(cp1252(CRLF.join(rows) + CRLF))

    for name, (title, body) in STATIC_PAGES.items():
        (ROOT / name).write_bytes(page(title, body))

    total = sum(p.stat().st_size for p in ROOT.rglob("*") if p.is_file())
    print(f"demo content in {ROOT}: {total} bytes")


if __name__ == "__main__":
    main()
