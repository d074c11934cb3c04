#!/usr/bin/env python3
"""Writes the bundled run-time data of Orvane: the model files in models/, the sample
installation and the sample settings in samples/.

Every file is written in cp1252, as the program reads and writes them. The script also checks
that the memory map of each model is consistent (no two codes share a byte, every code fits the
request layouts, packed groups fit one read), so a simulated panel can serve the models as they
are. Run it from anywhere:  python3 tools/data/make_data.py
"""

import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
MODELS = os.path.join(ROOT, "models")
SAMPLES = os.path.join(ROOT, "samples")

BYTES = {"bitmask": 1, "decimal": 1, "nibble4": 2, "nibble6": 3, "nibble28": 14, "string": 16,
         "lstring": 16, "horaquart": 1, "nibble2": 1, "nibble8": 4, "sortida": 1,
         "nibble2_1N": 1, "nibble16": 8}


def esc(text, attribute=False):
    text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return text.replace('"', "&quot;") if attribute else text


class E:
    """One element: a leaf when it has no children."""

    def __init__(self, tag, attrs=None, text="", children=None):
        self.tag, self.attrs, self.text = tag, attrs or [], text
        self.children = children or []

    def attr_text(self):
        return "".join(' %s="%s"' % (k, esc(v, True)) for k, v in self.attrs)

    def render(self, out, depth):
        pad = "\t" * depth
        if not self.children:
            if self.text == "" and self.tag.startswith("no"):
                out.append("%s<%s%s/>" % (pad, self.tag, self.attr_text()))
            else:
                out.append("%s<%s%s>%s</%s>" % (pad, self.tag, self.attr_text(), esc(self.text), self.tag))
            return
        out.append("%s<%s%s>" % (pad, self.tag, self.attr_text()))
        for c in self.children:
            c.render(out, depth + 1)
        out.append("%s</%s>" % (pad, self.tag))


def descr(text, lang=None):
    return E("descr", [("lang", lang)] if lang else [], text)


def normal(tipus, val):
    """The value as the program stores it after reading the model."""
    if tipus in ("string", "lstring"):
        val = (val[:16] + " " * 16)[:16]
        return val.lower() if tipus == "lstring" else val
    return val


class Codi:
    def __init__(self, cid, text, tipus, mem, addr, val, usuari=False, noedit=False, offset=None,
                 omplir=None, bits=None, en=None):
        self.cid, self.text, self.tipus, self.mem, self.addr = cid, text, tipus, mem, addr
        self.val, self.usuari, self.noedit, self.offset = val, usuari, noedit, offset
        self.omplir, self.bits, self.en = omplir, bits or [], en

    def element(self):
        kids = [descr(self.text)]
        if self.en:
            kids.append(descr(self.en, "en"))
        kids.append(E("tipus", text=self.tipus))
        kids.append(E(self.mem, text=self.addr))
        if self.offset is not None:
            kids.append(E("offset", text=str(self.offset)))
        kids.append(E("kpaddress", [("usuari", "1")] if self.usuari else [], self.cid))
        if self.omplir:
            kids.append(E("omplir", text=self.omplir))
        for i, b in enumerate(self.bits):
            kids.append(E("bitdescr", [("bit", str(i + 1))], b))
        kids.append(E("val", text=self.val))
        attrs = [("id", self.cid)] + ([("caract", "noedit")] if self.noedit else [])
        return E("codi", attrs, children=kids)

    def value(self):
        return normal(self.tipus, self.val)


class Ref:
    """A code listed again in a second group. Its description is the code's own: the reader
    gives the one code every description it meets, so another text would rename it everywhere."""

    def __init__(self, cid, text):
        self.cid, self.text = cid, text

    def element(self):
        return E("codi", [("id", self.cid)], children=[descr(self.text)])


class Grup:
    def __init__(self, tag, gid, name, items, typ=None, caract=None, distancia=None, busdir=None,
                 bitnames=None, en=None):
        self.tag, self.gid, self.name, self.items = tag, gid, name, items
        self.typ, self.caract, self.distancia, self.busdir = typ, caract, distancia, busdir
        self.bitnames, self.en = bitnames or [], en

    def element(self):
        attrs = [("id", self.gid)]
        if self.typ:
            attrs.append(("type", self.typ))
        if self.caract:
            attrs.append(("caract", self.caract))
        if self.distancia is not None:
            attrs.append(("distancia", str(self.distancia)))
        kids = [descr(self.name)]
        if self.en:
            kids.append(descr(self.en, "en"))
        if self.busdir:
            kids.append(E("busdir", text=self.busdir))
        for i, b in enumerate(self.bitnames):
            kids.append(E("bitdescr", [("bit", str(i + 1))], b))
        # Codes first, then the child groups: a code belongs to the most recent group.
        kids += [i.element() for i in self.items if not isinstance(i, Grup)]
        kids += [i.element() for i in self.items if isinstance(i, Grup)]
        return E(self.tag, attrs, children=kids)


class Columna:
    def __init__(self, text, tipus, val, omplir=None):
        self.text, self.tipus, self.val, self.omplir = text, tipus, val, omplir

    def element(self):
        kids = [descr(self.text), E("tipus", text=self.tipus)]
        if self.omplir:
            kids.append(E("omplir", text=self.omplir))
        kids.append(E("val", text=self.val))
        return E("columna", children=kids)


class Fitxer:
    def __init__(self, fid, text, index, sector, long_, rom=False):
        self.fid, self.text, self.index, self.sector, self.long, self.rom = fid, text, index, sector, long_, rom

    def element(self):
        attrs = [("id", self.fid)] + ([("caract", "ROM")] if self.rom else [])
        return E("fitxer", attrs, children=[descr(self.text), E("index", text=str(self.index)),
                                            E("sector", text=str(self.sector)), E("long", text=str(self.long))])


class GrupFlash:
    def __init__(self, gid, name, addrbase, columns=None, files=None, elements=None, bytes_element=None,
                 busdir=None):
        self.gid, self.name, self.addrbase = gid, name, addrbase
        self.columns, self.files = columns or [], files or []
        self.elements, self.bytes_element, self.busdir = elements, bytes_element, busdir

    def element(self):
        kids = [descr(self.name)]
        if self.busdir:
            kids.append(E("busdir", text=self.busdir))
        if self.elements is not None:
            kids += [E("elements", text=str(self.elements)), E("bytes-element", text=str(self.bytes_element))]
        kids.append(E("addrbase", text=self.addrbase))
        kids += [c.element() for c in self.columns] + [f.element() for f in self.files]
        return E("grup-flash", [("id", self.gid)], children=kids)


def mesura(offset, text, unitats="", formula=None):
    kids = [E("offset", text=str(offset))]
    if unitats:
        kids.append(E("unitats", text=unitats))
    kids.append(descr(text))
    return E("mesura", [("formula", formula)] if formula else [], children=kids)


class Model:
    def __init__(self, mid, versio, descr_es, descr_en, zones, arees, vrxzona, busdir, groups,
                 flash=None, estat=None, events=None, bus=("", "", "")):
        self.mid, self.versio, self.descr_es, self.descr_en = mid, versio, descr_es, descr_en
        self.zones, self.arees, self.vrxzona, self.busdir = zones, arees, vrxzona, busdir
        self.groups, self.flash, self.estat, self.events = groups, flash or [], estat, events
        self.bus = bus

    def file_name(self):
        return "%s-%s.xml" % (self.mid, self.versio)

    def element(self):
        kids = [descr(self.descr_es, "es"), descr(self.descr_en, "en"), descr("(sans description)", "fr"),
                E("zones", text=str(self.zones)), E("arees", text=str(self.arees)),
                E("vrxzona", text=str(self.vrxzona)), E("busdir", text=self.busdir)]
        for tag, value in zip(("buslocal", "busremot", "busdigital"), self.bus):
            if value:
                kids.append(E(tag, text=value))
        kids += [g.element() for g in self.groups]
        kids += [f.element() for f in self.flash]
        if self.estat:
            kids.append(self.estat)
        if self.events:
            kids.append(self.events)
        return E("model", [("id", self.mid), ("versio", self.versio)], children=kids)

    def text(self):
        out = []
        self.element().render(out, 0)
        return "\n".join(out) + "\n"

    # The model's flat code list, in order of first appearance (what the installation stores).
    def codes(self):
        found, order = {}, []

        def walk(items):
            for i in items:
                if isinstance(i, Codi) and i.cid not in found:
                    found[i.cid] = i
                    order.append(i)
            for i in items:
                if isinstance(i, Grup):
                    walk(i.items)

        walk(self.groups)
        walk(self.status_groups)
        return order

    status_groups = []

    def check(self):
        """Memory map checks: fails loudly on a clash so a bad edit never ships."""
        spaces = {}
        codes = {c.cid: c for c in self.codes()}

        def claim(dest, mem, start, size, what):
            for (s, n, w) in spaces.setdefault((dest, mem), []):
                if start < s + n and s < start + size:
                    sys.exit("%s: %s overlaps %s" % (self.file_name(), what, w))
            spaces[(dest, mem)].append((start, size, what))

        def walk(items, dest):
            for i in items:
                if isinstance(i, Codi):
                    start = int(i.addr, 16) + (i.offset or 0)
                    if int(i.addr, 16) > 0x1FFF:
                        sys.exit("%s: code %s beyond 0x1FFF" % (self.file_name(), i.cid))
                    claim(dest, i.mem, start, BYTES[i.tipus], "code " + i.cid)
                elif isinstance(i, Ref) and i.cid not in codes:
                    sys.exit("%s: unknown code %s" % (self.file_name(), i.cid))
                elif isinstance(i, Ref) and i.text != codes[i.cid].text:
                    sys.exit("%s: code %s listed again under another description" % (self.file_name(), i.cid))
            for g in items:
                if isinstance(g, Grup):
                    if g.caract == "seguits":
                        cs = [c for c in g.items if isinstance(c, Codi)]
                        stride = g.distancia or BYTES[cs[0].tipus]
                        if len(cs) * stride > 255:
                            sys.exit("%s: packed group %s too long" % (self.file_name(), g.gid))
                        for k, c in enumerate(cs):
                            if int(c.addr, 16) != int(cs[0].addr, 16) + k * stride:
                                sys.exit("%s: packed group %s not contiguous at %s" % (self.file_name(), g.gid, c.cid))
                    # A group without its own address sends to the component, not to its parent's.
                    walk(g.items, g.busdir or self.busdir)

        walk(self.groups, self.busdir)
        walk(self.status_groups, self.busdir)
        if self.events is not None:
            kids = {k.tag: k.text for k in self.events.children}
            if "address" in kids:
                claim(self.busdir, "eeprom", int(kids["address"], 16),
                      int(kids["maxevents"]) * int(kids["bytesevent"]), "event memory")
        for f in self.flash:
            dest = f.busdir or self.busdir
            base = int(f.addrbase, 16) * 16
            if f.columns:
                width = sum(BYTES[c.tipus] for c in f.columns)
                if width != f.bytes_element:
                    sys.exit("%s: flash group %s columns take %d bytes" % (self.file_name(), f.gid, width))
                claim(dest, "flash", base, f.elements * f.bytes_element, "flash " + f.gid)
            for x in f.files:
                claim(dest, "flash", base + x.sector * 4096, x.long * 4096, "file " + x.fid)


# ------------------------------------------------------------------------------------------
# Central VX16, version 2.1: 16 zones, 4 areas, radio, IP module, event memory.

ZONE_NAMES = ["Puerta principal", "Recibidor", "Salón", "Cocina", "Dormitorio principal",
              "Dormitorio niños", "Pasillo", "Baño", "Garaje", "Puerta garaje", "Jardín",
              "Ventana salón", "Buhardilla", "Despacho", "Sótano", "Detector de humo"]
ZONE_BITS = ["Anulable", "Silenciosa", "Campanilla", "Retardada", "Interior", "24 horas",
             "Doble pulso", "Supervisada"]


def vx16():
    users = Grup("subgrup", "G01U", "Códigos de usuario",
                 [Codi("%03d" % (11 + i), "Código de usuario %d" % (i + 1), "nibble4", "eeprom",
                       "%04X" % (0x0010 + 2 * i), "1234" if i == 0 else "FFFF", usuari=True)
                  for i in range(8)], caract="seguits")
    access = Grup("grup", "G01", "Códigos de acceso", [
        Codi("000", "Código de instalador", "nibble4", "eeprom", "0000", "8371", en="Installer code"),
        Codi("426", "Código de acceso CRA", "nibble4", "eeprom", "0002", "C7D2"),
        Codi("001", "Código de coacción", "nibble4", "eeprom", "0004", "FFFF"),
        users], en="Access codes")

    zone_times = Grup("subgrup", "G02T", "Tiempo de respuesta (x10 ms)",
                      [Codi("%03d" % (101 + i), "Zona %d" % (i + 1), "decimal", "eeprom",
                            "%04X" % (0x0100 + i), "030") for i in range(16)], caract="seguits")
    zone_attrs = Grup("subgrup", "G02A", "Atributos de zona",
                      [Codi("%03d" % (121 + i), "Zona %d" % (i + 1), "bitmask", "eeprom",
                            "%04X" % (0x0110 + i), "10010000" if i < 2 else "10001000")
                       for i in range(16)], typ="bits", bitnames=ZONE_BITS)
    zone_areas = Grup("subgrup", "G02S", "Área de cada zona",
                      [Codi("%03d" % (161 + i), "Zona %d" % (i + 1), "nibble2_1N", "eeprom",
                            "%04X" % (0x0120 + i), "01") for i in range(16)])
    radio_ids = Grup("intgrup", "G02RI", "Identificadores de detectores",
                     [Codi("%03d" % (141 + i), "Detector radio %d" % (i + 1), "nibble6", "eeprom",
                           "%04X" % (0x0140 + 4 * i), "FFFFFF") for i in range(16)],
                     caract="seguits", distancia=4)
    radio_opts = Grup("intgrup", "G02RO", "Supervisión vía radio",
                      [Codi("191", "Tiempo de supervisión (horas)", "decimal", "eeprom", "0180", "024"),
                       Codi("192", "Nivel de interferencia", "decimal", "eeprom", "0181", "010")],
                      caract="norecv")
    radio = Grup("subgrup", "G02R", "Zonas vía radio",
                 [Codi("190", "Receptor vía radio", "bitmask", "eeprom", "0182", "10000000",
                       bits=["Receptor instalado", "Detección de interferencias", "Supervisión"]),
                  radio_ids, radio_opts])
    zones = Grup("grup", "G02", "Zonas", [zone_times, zone_attrs, zone_areas, radio])

    area_entry = Grup("subgrup", "G03E", "Tiempos de entrada (s)",
                      [Codi("%03d" % (201 + i), "Área %d" % (i + 1), "decimal", "eeprom",
                            "%04X" % (0x0200 + i), "030") for i in range(4)], caract="seguits")
    area_exit = Grup("subgrup", "G03S", "Tiempos de salida (s)",
                     [Codi("%03d" % (211 + i), "Área %d" % (i + 1), "decimal", "eeprom",
                           "%04X" % (0x0204 + i), "045") for i in range(4)], caract="seguits")
    area_opts = Grup("subgrup", "G03O", "Opciones de área",
                     [Codi("%03d" % (221 + i), "Área %d" % (i + 1), "bitmask", "eeprom",
                           "%04X" % (0x0208 + i), "11000000") for i in range(4)],
                     typ="bits", caract="girat",
                     bitnames=["Armado rápido", "Armado parcial", "Aviso sonoro de salida",
                               "Armado automático", "Bloqueo por código", "Sin retardo de entrada"])
    areas = Grup("grup", "G03", "Áreas", [
        Codi("230", "Armado automático", "horaquart", "eeprom", "020C", "22:00"),
        Codi("231", "Desarmado automático", "horaquart", "eeprom", "020D", "7:00"),
        area_entry, area_exit, area_opts])

    outputs = Grup("grup", "G04", "Salidas", [
        Codi("%03d" % (301 + i), "Tipo de salida %d" % (i + 1), "nibble2", "eeprom",
             "%04X" % (0x0300 + i), v) for i, v in enumerate(["01", "02", "10", "00"])] + [
        Codi("305", "Duración de la sirena (min)", "decimal", "eeprom", "0304", "003"),
        Codi("306", "Retardo de la sirena (s)", "decimal", "eeprom", "0305", "000")])

    comms = Grup("grup", "G05", "Comunicaciones", [
        Codi("501", "Teléfono CRA principal", "nibble16", "eeprom", "0500", "FFFFFFFFFFFFFFFF", omplir="F"),
        Codi("502", "Teléfono CRA secundario", "nibble16", "eeprom", "0508", "FFFFFFFFFFFFFFFF", omplir="+F"),
        Codi("503", "Número de abonado", "nibble4", "eeprom", "0510", "0000", omplir="00"),
        Codi("504", "Intentos de llamada", "decimal", "eeprom", "0512", "008"),
        Codi("505", "Línea del receptor", "nibble2_1N", "eeprom", "0513", "01"),
        Codi("506", "Nombre de la instalación", "string", "eeprom", "0520", "Instalación"),
        Codi("507", "Opciones de transmisión", "bitmask", "eeprom", "0514", "10100000",
             bits=["Transmitir alarmas", "Transmitir armados", "Transmitir averías", "Test periódico",
                   "Transmitir restauraciones", "Transmitir anulaciones", "Doble receptor", "Llamada de retorno"]),
        Codi("508", "Hora del test periódico", "horaquart", "eeprom", "0515", "63:45"),
        Grup("subgrup", "G05P", "Teléfonos de aviso", [
            Codi("%03d" % (511 + i), "Teléfono de aviso %d" % (i + 1), "nibble16", "eeprom",
                 "%04X" % (0x0530 + 8 * i), "FFFFFFFFFFFFFFFF") for i in range(4)] + [
            Ref("503", "Número de abonado")])])

    def names(gid, name, first, addr, texts, descrs=None):
        descrs = descrs or ["%s %d" % (name.rstrip("s") if name != "Areas" else "Area", i + 1)
                            for i in range(len(texts))]
        return Grup("subgrup", gid, name,
                    [Codi("%03d" % (first + i), d, "string", "eeprom", "%04X" % (addr + 16 * i), t)
                     for i, (t, d) in enumerate(zip(texts, descrs))],
                    caract="seguits" if len(texts) * 16 < 256 else None)

    alias = Grup("grup", "G06", "Alias", [
        names("G06Z", "Zonas", 601, 0x0800, ZONE_NAMES),
        names("G06A", "Areas", 621, 0x0900, ["Vivienda", "Garaje", "Jardín", "Despacho"]),
        # The status panel names the outputs and then the relays from this one group.
        names("G06S", "Salidas", 631, 0x0940,
              ["Sirena exterior", "Sirena interior", "Luz del jardín", "Electroválvula", "Cerradura", "Aviso CRA"],
              ["Salida 1", "Salida 2", "Salida 3", "Salida 4", "Relé 1", "Relé 2"]),
        names("G06U", "Usuarios", 641, 0x09A0, ["Instalador", "Antonio", "María", "Limpieza",
                                                 "Usuario 5", "Usuario 6", "Usuario 7", "Usuario 8"])])

    maintenance = Grup("grup", "G07", "Mantenimiento", [
        Codi("701", "Orden de mantenimiento", "nibble2", "ram", "0140", "00"),
        Ref("000", "Código de instalador")], caract="norecv")

    module = Grup("grup", "G08", "Módulo IP", [
        Codi("801", "Dirección IP", "nibble8", "eeprom", "0000", "C0A80164"),
        Codi("802", "Máscara de red", "nibble8", "eeprom", "0004", "FFFFFF00"),
        Codi("803", "Puerta de enlace", "nibble8", "eeprom", "0008", "C0A80101"),
        Codi("804", "Puerto de escucha", "nibble4", "eeprom", "000C", "0FA0"),
        Codi("805", "Clave de cifrado", "nibble28", "eeprom", "0010", "0" * 28),
        Codi("806", "APN GPRS", "lstring", "eeprom", "0020", "internet"),
        Codi("807", "Usuario GPRS", "lstring", "eeprom", "0030", "")], busdir="30")

    status = Grup("grup", "S01", "Información de la central", [
        Codi("901", "Versión de firmware", "string", "ram", "0100", "", noedit=True),
        Codi("902", "Número de serie", "nibble8", "ram", "0110", "00000000", noedit=True),
        Codi("903", "Contador de armados", "nibble4", "ram", "0114", "0000", noedit=True),
        Codi("904", "Nivel de señal GSM", "decimal", "ram", "0114", "000", noedit=True, offset=2),
        Grup("subgrup", "S01S", "Estado de las salidas",
             [Codi("%03d" % (911 + i), "Salida %d" % (i + 1), "sortida", "ram", "%04X" % (0x0120 + i),
                   "Desactivada") for i in range(4)])], caract="nosend")

    estat = E("estat", children=[
        status.element(),
        E("analogic", children=[E("vdd", text="5.0")]),
        E("tcvzona", [("formula", "A")], children=[mesura(i, "Lazo zona %d" % (i + 1), "Ohm") for i in range(4)]),
        E("tcvzona", [("formula", "C")], children=[mesura(4 + i, "Lazo zona %d" % (5 + i), "Ohm") for i in range(2)]),
        E("tcvzona", [("formula", "D")], children=[mesura(6, "Lazo zona 7", "Ohm")]),
        E("tcvalim", children=[mesura(7, "Alimentación auxiliar", "V")]),
        E("tcvmonitor", children=[mesura(8, "Batería", "V"), mesura(9, "Temperatura interna", "°C", "TEMP")]),
        E("sortides", children=[mesura(i, n) for i, n in enumerate(
            ["Sirena exterior", "Sirena interior", "Luz del jardín", "Electroválvula"])]),
        E("reles", children=[mesura(0, "Relé 1"), mesura(1, "Relé 2")]),
        E("mesuraAC", children=[E("offset", text="10"), E("unitats", text="V"), descr("Tensión de red")]),
        E("cobertura", children=[descr("Cobertura GSM"), E("tipus", text="nibble6"), E("ram", text="0130"),
                                 E("val", text="000000")])])

    events = E("events", children=[E("address", text="1800"), E("maxevents", text="256"),
                                   E("bytesevent", text="8"), E("tipus", text="q7rev_cid")])

    flash = [
        GrupFlash("F01", "Agenda de teléfonos", "0800", elements=16, bytes_element=12, columns=[
            Columna("Teléfono", "nibble16", "FFFFFFFFFFFFFFFF", omplir="F"),
            Columna("Tipo de aviso", "nibble2", "00"),
            Columna("Intentos", "decimal", "003"),
            Columna("Áreas", "bitmask", "00000000"),
            Columna("Línea", "nibble2_1N", "01")]),
        GrupFlash("F02", "Horarios semanales", "0810", elements=8, bytes_element=4, columns=[
            Columna("Hora de inicio", "horaquart", "63:45"),
            Columna("Hora de fin", "horaquart", "63:45"),
            Columna("Días", "bitmask", "00000000"),
            Columna("Área", "nibble2", "00")]),
        GrupFlash("F03", "Servidor web", "0100", busdir="30", files=[
            Fitxer("WEB", "Imagen del servidor web", 1, 0, 32, rom=True),
            Fitxer("LOGO", "Logotipo de la página", 2, 32, 2)])]

    m = Model("VX16", "2.1", "Central VX16 (16 zonas)", "VX16 control panel", 16, 4, 2, "01",
              [access, zones, areas, outputs, comms, alias, maintenance, module], flash, estat, events,
              bus=("10", "11", "12"))
    m.status_groups = [status]
    return m


# ------------------------------------------------------------------------------------------
# Keypad TK40, version 1.0: its own settings, proximity cards, an access log in flash.

def tk40():
    cards = Grup("subgrup", "G01T", "Tarjetas de proximidad",
                 [Codi("%03d" % (11 + i), "Tarjeta %d" % (i + 1), "nibble8", "eeprom",
                       "%04X" % (0x0020 + 4 * i), "FFFFFFFF", usuari=True) for i in range(8)],
                 caract="seguits")
    config = Grup("grup", "G01", "Configuración del teclado", [
        Codi("001", "Idioma (00 español, 01 inglés)", "nibble2", "eeprom", "0000", "00"),
        Codi("002", "Retroiluminación (0-9)", "decimal", "eeprom", "0001", "005"),
        Codi("003", "Volumen del zumbador (0-9)", "decimal", "eeprom", "0002", "003"),
        Codi("004", "Áreas asignadas", "bitmask", "eeprom", "0003", "10000000",
             bits=["Área 1", "Área 2", "Área 3", "Área 4"]),
        Codi("005", "Código de acceso al menú", "nibble4", "eeprom", "0004", "0000", omplir="00"),
        Codi("006", "Mensaje de bienvenida", "string", "eeprom", "0010", "Bienvenido"),
        cards])
    keys = Grup("grup", "G02", "Teclas de función", [
        Grup("subgrup", "G02F", "Funciones de las teclas",
             [Codi("%03d" % (21 + i), "Tecla F%d" % (i + 1), "bitmask", "eeprom", "%04X" % (0x0040 + i),
                   "00000000") for i in range(3)],
             typ="bits", bitnames=["Pánico", "Fuego", "Médica", "Armado parcial", "Armado total"])])
    estat = E("estat", children=[E("noanalogic"), E("noviaradio"), E("nosortides"), E("notesttelefonic"),
                                 E("noestatgrafic")])
    events = E("events", children=[E("flash", text="0040"), E("maxevents", text="64"),
                                   E("bytesevent", text="16"), E("tipus", text="contactid-extended")])
    return Model("TK40", "1.0", "Teclado TK40 con lector de proximidad", "TK40 keypad", 2, 0, 0, "21",
                 [config, keys], estat=estat, events=events)


# ------------------------------------------------------------------------------------------
# Zone expander EX08, version 1.2: 8 zone loops, 2 outputs and a relay.

def ex08():
    attrs = Grup("subgrup", "G01A", "Atributos de zona",
                 [Codi("%03d" % (11 + i), "Zona %d" % (i + 1), "bitmask", "eeprom", "%04X" % (0x0010 + i),
                       "10001000") for i in range(8)], typ="bits", bitnames=ZONE_BITS)
    times = Grup("subgrup", "G01T", "Tiempo de respuesta (x10 ms)",
                 [Codi("%03d" % (31 + i), "Zona %d" % (i + 1), "decimal", "eeprom", "%04X" % (0x0020 + i),
                       "030") for i in range(8)], caract="seguits")
    zones = Grup("grup", "G01", "Zonas del expansor", [
        Codi("001", "Resistencia de fin de línea", "nibble2", "eeprom", "0000", "01"),
        attrs, times])
    outs = Grup("grup", "G02", "Salidas del expansor", [
        Codi("041", "Tipo de salida 1", "nibble2", "eeprom", "0030", "00"),
        Codi("042", "Tipo de salida 2", "nibble2", "eeprom", "0031", "00"),
        Codi("043", "Tipo de relé", "nibble2", "eeprom", "0032", "00")])
    estat = E("estat", children=[
        E("nogeneral"), E("noviaradio"), E("notesttelefonic"), E("noestatgrafic"),
        E("analogic", children=[E("vdd", text="5.0")]),
        E("tcvzona", [("formula", "B")], children=[mesura(i, "Lazo zona %d" % (i + 1), "Ohm") for i in range(8)]),
        E("sortides", children=[mesura(0, "Salida 1"), mesura(1, "Salida 2")]),
        E("reles", children=[mesura(0, "Relé")]),
        E("mesuraAC", children=[E("offset", text="8"), E("unitats", text="V"), descr("Tensión del bus")])])
    return Model("EX08", "1.2", "Expansor de 8 zonas EX08", "EX08 8-zone expander", 8, 0, 0, "28",
                 [zones, outs], estat=estat)


# ------------------------------------------------------------------------------------------
# Sample installation, in the layout the program writes (CR LF line ends).

def bits(n, on):
    return "".join("1" if i in on else "0" for i in range(n))


def component(out, name, m, busdir, values, cells, paths, estat, events):
    out.append('\t<component id="%s" model="%s" versio="%s">' % (esc(name, True), m.mid, m.versio))
    out.append("\t\t<busdir>%s</busdir>" % busdir)
    out.append("\t\t<descr>%s</descr>" % esc(m.descr_es))
    for c in m.codes():
        out.append('\t\t<codi id="%s">' % c.cid)
        out.append("\t\t\t<val>%s</val>" % esc(normal(c.tipus, values.get(c.cid, c.val))))
        out.append("\t\t</codi>")
    for f in m.flash:
        out.append('\t\t<grup-flash id="%s">' % f.gid)
        for x in f.files:
            out.append('\t\t\t<fitxer id="%s">' % x.fid)
            out.append("\t\t\t\t<nom>%s</nom>" % esc(paths.get(x.fid, "")))
            out.append("\t\t\t</fitxer>")
        for i in range(f.elements or 0):
            row = cells.get((f.gid, i), [c.val for c in f.columns])
            out.append("\t\t\t<element>" + "".join("<col>%s</col>" % esc(v) for v in row) + "</element>")
        out.append("\t\t</grup-flash>")
    out.append("\t\t<estat>")
    for tag in ("detectz", "alarmz", "omitz", "averiaz"):
        out.append("\t\t\t<%s>%s</%s>" % (tag, bits(m.zones, estat.get(tag, ())), tag))
    out.append("\t\t\t<areast>%s</areast>" % bits(8, estat.get("areast", ())))
    out.append("\t\t\t<stpanel>%s</stpanel>" % bits(8, estat.get("stpanel", ())))
    out.append("\t\t\t<ppe>%d</ppe>" % estat.get("ppe", 0))
    if "grafic" in estat:
        maps, elements = estat["grafic"]
        out.append("\t\t\t<grafic>")
        for n in range(4):
            out.append('\t\t\t\t<mapa num="%d">%s</mapa>' % (n, esc(maps[n] if n < len(maps) else "")))
        for e in elements:
            out.append("\t\t\t\t<compgraf>")
            for tag in ("nummapa", "tipus", "posx", "posy", "area", "zona", "sortida", "rele"):
                if tag in e:
                    out.append("\t\t\t\t\t<%s>%d</%s>" % (tag, e[tag], tag))
            out.append("\t\t\t\t</compgraf>")
        out.append("\t\t\t</grafic>")
    out.append("\t\t</estat>")
    out.append("\t\t<events>")
    out.append("\t\t\t<myppe>%d</myppe>" % events[0])
    for i, ev in enumerate(events[1]):
        out.append('\t\t\t<event ord="%d">' % i)
        for tag in ("hora", "data", "contactid", "zona", "descphonecall", "area", "abonat"):
            if tag in ev:
                out.append("\t\t\t\t<%s>%s</%s>" % (tag, esc(str(ev[tag])), tag))
        out.append("\t\t\t</event>")
    out.append("\t\t</events>")
    out.append("\t</component>")


def installation(central, keypad, expander):
    out = ["<instalacio>", "\t<dades>"]
    dades = [("nominstal", "Chalet Pérez"), ("nomclient", "Comercial Pérez & Hijos S.L."),
             ("direccio", "Calle Mayor 12, 28013 Madrid"), ("telefon", "910000000"),
             ("email", "instalaciones@example.com"), ("telfconexio", "910000001"),
             ("telfconexioCSD", "600000001"), ("tipusconexio", "1"), ("baudrate", "19200"),
             ("callback", "no"), ("especial", "no"), ("ipdest", "192.168.1.100"), ("ipport", "4000"),
             ("ipgprsdest", "10.0.0.20"), ("ipgprsport", "4001"), ("ipcralnkdest", "cra.example.com"),
             ("ipcralnkport", "5000")]
    out += ["\t\t<%s>%s</%s>" % (k, esc(v), k) for k, v in dades]
    out.append("\t</dades>")
    component(out, "0", central, "01",
              values={"011": "2580", "012": "1357", "503": "1234", "501": "912345678FFFFFFF",
                      "506": "Chalet Pérez", "602": "Vestíbulo"},
              cells={("F01", 0): ["600123456FFFFFFF", "01", "003", "11000000", "01"],
                     ("F02", 0): ["8:00", "20:00", "11111000", "01"]},
              paths={"LOGO": "samples\\logo.gif"},
              estat={"detectz": (2,), "omitz": (9,), "areast": (0,), "stpanel": (0, 7), "ppe": 3,
                     "grafic": (["samples\\planos\\planta-baja.gif"], [
                         {"nummapa": 0, "tipus": 4, "posx": 40, "posy": 200, "area": 1, "zona": 0},
                         {"nummapa": 0, "tipus": 5, "posx": 160, "posy": 120, "area": 1, "zona": 2},
                         {"nummapa": 0, "tipus": 7, "posx": 290, "posy": 20, "sortida": 0},
                         {"nummapa": 0, "tipus": 9, "posx": 290, "posy": 60, "rele": 0}])},
              events=(3, [
                  {"hora": "08:15:02", "data": "03/02/2025", "contactid": "3401", "zona": 2, "area": 1},
                  {"hora": "12:40:51", "data": "03/02/2025", "contactid": "1130", "zona": 3, "area": 1},
                  {"hora": "--:--:--", "data": "--/--/--", "contactid": "1900", "zona": 912345678,
                   "descphonecall": "Outgoing-PSTN DATA-OK", "abonat": ""}]))
    component(out, "21", keypad, "21", values={"006": "Chalet Pérez", "011": "00A1B2C3"}, cells={}, paths={},
              estat={}, events=(0, []))
    component(out, "28", expander, "28", values={}, cells={}, paths={}, estat={}, events=(0, []))
    out.append("</instalacio>")
    return "\r\n".join(out) + "\r\n"


CONFIG = """<config>
\t<oem>
\t\t<about>Herramienta del instalador para centrales de intrusión</about>
\t\t<empresa>Seguridad Ejemplo S.L.</empresa>
\t\t<nom-programa>Vosk Orvane</nom-programa>
\t</oem>
\t<ini>
\t\t<ultim>samples/ejemplo.voski</ultim>
\t</ini>
\t<conexions>
\t\t<local>
\t\t\t<baud>19200</baud>
\t\t\t<bitsdata>8</bitsdata>
\t\t\t<bitsstop>0</bitsstop>
\t\t\t<paritat>0</paritat>
\t\t\t<portcom>1</portcom>
\t\t</local>
\t\t<modem>
\t\t\t<ATBusy>BUSY</ATBusy>
\t\t\t<ATConnect>CONNECT</ATConnect>
\t\t\t<ATDespenjar>ATA</ATDespenjar>
\t\t\t<ATIniciar>ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0</ATIniciar>
\t\t\t<ATNoCarrier>NO CARRIER</ATNoCarrier>
\t\t\t<ATNoDialTone>NO DIALTONE</ATNoDialTone>
\t\t\t<ATOk>OK</ATOk>
\t\t\t<ATPenjar>+++ATH</ATPenjar>
\t\t\t<ATPerduda>ECAV,1</ATPerduda>
\t\t\t<ATReset>ATZ</ATReset>
\t\t\t<ATRing>RING</ATRing>
\t\t\t<ATTrucar>ATDT</ATTrucar>
\t\t\t<baud>9600</baud>
\t\t\t<bitsdata>8</bitsdata>
\t\t\t<bitsstop>0</bitsstop>
\t\t\t<paritat>0</paritat>
\t\t\t<portcom>2</portcom>
\t\t</modem>
\t\t<modem-gsm>
\t\t\t<ATBusy>BUSY</ATBusy>
\t\t\t<ATConnect>CONNECT</ATConnect>
\t\t\t<ATDespenjar>ATA</ATDespenjar>
\t\t\t<ATIniciar>ATE0V1S0=0+CBST=7,0,1</ATIniciar>
\t\t\t<ATNoCarrier>NO CARRIER</ATNoCarrier>
\t\t\t<ATNoDialTone>NO DIALTONE</ATNoDialTone>
\t\t\t<ATOk>OK</ATOk>
\t\t\t<ATPenjar>+++ATH</ATPenjar>
\t\t\t<ATPerduda>ECAV,1</ATPerduda>
\t\t\t<ATReset>ATZ</ATReset>
\t\t\t<ATRing>RING</ATRing>
\t\t\t<ATTrucar>ATD</ATTrucar>
\t\t\t<baud>9600</baud>
\t\t\t<bitsdata>8</bitsdata>
\t\t\t<bitsstop>0</bitsstop>
\t\t\t<paritat>0</paritat>
\t\t\t<portcom>3</portcom>
\t\t</modem-gsm>
\t</conexions>
</config>
"""


# ------------------------------------------------------------------------------------------
# Small pictures (GIF, 4 colours): a floor plan for the sample's site plan and a logo for its
# web-server flash file, which has two sectors (8192 bytes) reserved.

WHITE, BLACK, GREY, BLUE = 0, 1, 2, 3


def canvas(width, height):
    px = [[WHITE] * width for _ in range(height)]

    def rect(x0, y0, x1, y1, colour, fill=False):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if fill or y in (y0, y1) or x in (x0, x1):
                    px[y][x] = colour
    return px, rect


def floor_plan_gif(width=320, height=240):
    px, rect = canvas(width, height)
    rect(10, 10, 309, 229, BLACK)
    rect(11, 11, 308, 228, BLACK)
    rect(10, 10, 150, 120, BLACK)     # living room
    rect(150, 10, 309, 120, BLACK)    # kitchen
    rect(10, 120, 200, 229, BLACK)    # bedrooms
    rect(200, 120, 309, 229, BLACK)   # garage
    rect(60, 228, 100, 229, GREY, True)    # front door
    rect(240, 60, 300, 110, BLUE, True)    # kitchen island
    return gif(px, width, height)


def logo_gif(width=96, height=48):
    px, rect = canvas(width, height)
    rect(0, 0, width - 1, height - 1, BLUE)
    rect(8, 8, 39, 39, BLUE, True)      # a shield
    rect(16, 16, 31, 31, WHITE, True)
    rect(48, 12, 87, 17, BLACK, True)   # two lines of lettering
    rect(48, 28, 79, 33, GREY, True)
    return gif(px, width, height)


def gif(px, width, height):
    # LZW with a clear code before every pair of pixels keeps the code width at 3 bits.
    codes = []
    flat = [p for row in px for p in row]
    for i in range(0, len(flat), 2):
        codes.append(4)
        codes += flat[i:i + 2]
    codes.append(5)
    data, acc, nbits = bytearray(), 0, 0
    for c in codes:
        acc |= c << nbits
        nbits += 3
        while nbits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc & 0xFF)
    out = bytearray(b"GIF89a")
    out += width.to_bytes(2, "little") + height.to_bytes(2, "little") + bytes([0x81, 0, 0])
    out += bytes([255, 255, 255, 0, 0, 0, 160, 160, 160, 40, 90, 200])
    out += b"," + bytes(4) + width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\x00"
    out += b"\x02"
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out += bytes([len(block)]) + block
    out += b"\x00;"
    return bytes(out)


def write(path, text, newline_ok=True):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = text.encode("cp1252") if isinstance(text, str) else text
    with open(path, "wb") as f:
        f.write(data)


def main():
    models = [vx16(), tk40(), ex08()]
    for m in models:
        m.check()
        write(os.path.join(MODELS, m.file_name()), m.text())
    write(os.path.join(SAMPLES, "ejemplo.voski"), installation(*models))
    write(os.path.join(SAMPLES, "config.xml"), CONFIG)
    write(os.path.join(SAMPLES, "planos", "planta-baja.gif"), floor_plan_gif())
    logo = logo_gif()
    if len(logo) >= 2 * 4096:
        sys.exit("the sample's logo does not fit the two sectors of its flash file")
    write(os.path.join(SAMPLES, "logo.gif"), logo)
    for m in models:
        print("%s: %d codes" % (m.file_name(), len(m.codes())))


if __name__ == "__main__":
    main()
