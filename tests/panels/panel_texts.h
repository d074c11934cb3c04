// What the panels must show and ask, written out as the installer sees them: every control of a
// view of the sample installation in reading order, and the questions, captions and prompts that
// the panels' commands bring up. The panel text test compares the real panels with these tables,
// never with the panels' own texts.
#pragma once

#include <vector>

namespace expected {

// The controls of the view shown for a tree node, in the order the installer reads them (sizer
// order, depth first), each as kind:text. Kinds: label, button, check, field (a text field), box
// (a titled box), bitmapbutton:picture, icon:picture, list and column (a list and its headings),
// checklist and item, combo with its choice entries and the value it shows, grid with collabel
// and rowlabel, toolbar with tool:label|tooltip|long help|picture (tool:- a separator), window (a
// drawing canvas), unplaced:class (a shown control that no sizer places); " [read-only]" follows a
// field or grid that cannot be edited, " [hidden]" a control that is not shown. The whole view
// must match, in order; '*' stands for any text (the names and values of the sample, the clock).
struct View {
    // Tree labels from the installation down, '/' between (levels may be skipped); then, each
    // after " > ", controls used in turn (as in the list below) before the view is read.
    const char* node;
    std::vector<const char*> controls;
};

#define CLOCK_ROW                                                                                              \
    "icon:clock.png", "label:*", "icon:date.png", "label:*", "button:Sincronizar fecha y hora con el PC", \
        "button:Cambiar fecha y hora"
#define ZONE_COLUMN                                                                                          \
    "list", "column:Zona", "column:Estado", "label:Zonas seleccionadas:", "bitmapbutton:omit.png", "label:Omitir", \
        "bitmapbutton:noomit.png", "label:Activar"
#define AREA_BUTTONS                                                                                            \
    "label:Areas seleccionadas:", "bitmapbutton:armed.png", "label:Conectar", "bitmapbutton:disarmed.png", \
        "label:Desconectar"
#define OUTPUT_BUTTONS                                                                                          \
    "label:Salidas seleccionadas:", "bitmapbutton:noomit.png", "label:Activar", "bitmapbutton:omit.png", \
        "label:Desactivar"
// The eight warnings, each shown only while its bit of the panel status byte is set (the
// sample's central holds 0x81, its keypad 0).
#define WARNING(picture, text, shown) "icon:" picture shown, "label:" text shown
#define WARNINGS(b0, b1, b2, b3, b4, b5, b6, b7)                                                                \
    "box:Mensajes de aviso", WARNING("prefire.png", "alarma pre-fuego", b0),                                     \
        WARNING("timealarm.png", "Fecha y hora inválidos", b1), WARNING("power.png", "Sin alimentación por red", b2), \
        WARNING("nobattery.png", "Batería baja", b3), WARNING("warning.png", "Averias", b4),                      \
        WARNING("routein.png", "En ruta de entrada", b5), WARNING("routeout.png", "En ruta de salida", b6),       \
        WARNING("memoryalarm.png", "Memoria de alarmas", b7)
#define ON ""
#define OFF " [hidden]"
// The coverage bars: none below 20 %.
#define NO_BARS \
    "icon:cover.png [hidden]", "icon:cover.png [hidden]", "icon:cover.png [hidden]", "icon:cover.png [hidden]"
#define EVENT_FILTERS                                                                                          \
    "check:Muestra Alarmas", "check:Muestra Averías", "check:Muestra ON/OFF", "check:Muestra Supervisiones", \
        "check:Muestra Tests", "check:Muestra Omisiones", "check:Muestra Llamadas telefónicas"
#define EVENT_BUTTONS \
    "check:Invierte orden", "check:Recibir toda la memoria de eventos", "button:Exportar", "button:Vaciar"
#define EVENT_COLUMNS \
    "list", "column:Fecha", "column:Hora", "column:Código", "column:Tipo", "column:Descripción", \
        "column:Zona/Usuario", "column:Area"
#define IMAGE_HEADER                                                                                        \
    "label: ID", "label: - ", "label: Versión", "label: - ", "label: Fecha", "label: - ", "label: Hora", "label: - ", \
        "label: Tamaño FAT", "label: - ", "label: Número de archivos", "label: - ", "label: Tamaño de los datos",      \
        "label: - ", "label: Sectores", "label: - "

inline const View kViews[] = {
    // Status panel, full layout: clock row with coverage, zones, areas and outputs, warnings.
    {"Central VX16 (16 zonas)/Estado/General",
     {"label:General", CLOCK_ROW, "label:Cobertura: 0%", NO_BARS, ZONE_COLUMN, "button:Enviar test telefónico",
      "checklist",
      "item:Vivienda        : Conectada", "item:Garaje          : Desconectada", "item:Jardín          : Desconectada",
      "item:Despacho        : Desconectada", AREA_BUTTONS, "checklist", "item:Sirena exterior : Desactivada",
      "item:Sirena interior : Desactivada", "item:Luz del jardín  : Desactivada", "item:Electroválvula  : Desactivada",
      "item:Cerradura       : Desactivada", "item:Aviso CRA       : Desactivada", OUTPUT_BUTTONS, WARNINGS(ON, OFF, OFF, OFF, OFF, OFF, OFF, ON)}},
    // Without the coverage code the text is empty; without the phone test there is no button.
    {"Teclado TK40 con lector de proximidad/Estado",
     {"label:Estado", CLOCK_ROW, "label:", NO_BARS, ZONE_COLUMN, "checklist", AREA_BUTTONS, "checklist", OUTPUT_BUTTONS,
      WARNINGS(OFF, OFF, OFF, OFF, OFF, OFF, OFF, OFF)}},
    // Status panel, clock only.
    {"Expansor de 8 zonas EX08/Estado", {"label:Estado", CLOCK_ROW}},
    // Measurement panels: description, then the value ("-" for a measure never read).
    {"Expansor de 8 zonas EX08/Estado/Analógico",
     {"label:Medidas Analógicas", "label:Lazo zona 1", "label:-", "label:Lazo zona 2", "label:-", "label:Lazo zona 3",
      "label:-", "label:Lazo zona 4", "label:-", "label:Lazo zona 5", "label:-", "label:Lazo zona 6", "label:-",
      "label:Lazo zona 7", "label:-", "label:Lazo zona 8", "label:-", "label:Tensión del bus", "label:-"}},
    {"Expansor de 8 zonas EX08/Estado/Salidas", {"label:Salidas", "label:Salida 1", "label:-", "label:Salida 2", "label:-"}},
    {"Central VX16 (16 zonas)/Estado/Analógico",
     {"label:Medidas Analógicas", "label:Lazo zona 1", "label:-", "label:Lazo zona 2", "label:-", "label:Lazo zona 3",
      "label:-", "label:Lazo zona 4", "label:-", "label:Lazo zona 5", "label:-", "label:Lazo zona 6", "label:-",
      "label:Lazo zona 7", "label:-", "label:Alimentación auxiliar", "label:-", "label:Batería", "label:-",
      "label:Temperatura interna", "label:-", "label:Tensión de red", "label:-"}},
    // Radio devices: two per zone, the four flags as rows.
    {"Central VX16 (16 zonas)/Estado/Via radio",
     {"label:Via radio", "grid [read-only]", "collabel:1.1", "collabel:1.2", "collabel:2.1", "collabel:2.2",
      "collabel:3.1", "collabel:3.2", "collabel:4.1", "collabel:4.2", "collabel:5.1", "collabel:5.2", "collabel:6.1",
      "collabel:6.2",
      "collabel:7.1", "collabel:7.2", "collabel:8.1", "collabel:8.2", "collabel:9.1", "collabel:9.2", "collabel:10.1",
      "collabel:10.2", "collabel:11.1", "collabel:11.2", "collabel:12.1", "collabel:12.2", "collabel:13.1",
      "collabel:13.2", "collabel:14.1", "collabel:14.2", "collabel:15.1", "collabel:15.2", "collabel:16.1",
      "collabel:16.2", "rowlabel:Activada", "rowlabel:Fallo test", "rowlabel:Batería baja", "rowlabel:Avería"}},
    // Code panels: " " or " u", the keypad address, " - ", the description; a bitmask code as a
    // titled box of its eight options.
    {"Central VX16 (16 zonas)/Comunicaciones",
     {"label:Comunicaciones", "label: 501 - Teléfono CRA principal", "field", "label: 502 - Teléfono CRA secundario",
      "field", "label: 503 - Número de abonado", "field", "label: 504 - Intentos de llamada", "field",
      "label: 505 - Línea del receptor", "field", "label: 506 - Nombre de la instalación", "field",
      "box: 507 - Opciones de transmisión", "check:Transmitir alarmas", "check:Transmitir armados",
      "check:Transmitir averías", "check:Test periódico", "check:Transmitir restauraciones",
      "check:Transmitir anulaciones", "check:Doble receptor", "check:Llamada de retorno",
      "label: 508 - Hora del test periódico", "field"}},
    // Output codes are shown, not edited.
    {"Central VX16 (16 zonas)/Estado de las salidas",
     {"label:Estado de las salidas", "label: 911 - Salida 1", "field [read-only]", "label: 912 - Salida 2",
      "field [read-only]", "label: 913 - Salida 3", "field [read-only]", "label: 914 - Salida 4",
      "field [read-only]"}},
    {"Teclado TK40 con lector de proximidad/Tarjetas de proximidad",
     {"label:Tarjetas de proximidad", "label: u011 - Tarjeta 1", "field", "label: u012 - Tarjeta 2", "field",
      "label: u013 - Tarjeta 3", "field", "label: u014 - Tarjeta 4", "field", "label: u015 - Tarjeta 5", "field",
      "label: u016 - Tarjeta 6", "field", "label: u017 - Tarjeta 7", "field", "label: u018 - Tarjeta 8", "field"}},
    // Bit group: a line per code, labelled with its description and keypad address; a column per
    // named bit.
    {"Expansor de 8 zonas EX08/Atributos de zona",
     {"label:Atributos de zona", "grid [read-only]", "collabel:Anulable", "collabel:Silenciosa", "collabel:Campanilla",
      "collabel:Retardada", "collabel:Interior", "collabel:24 horas", "collabel:Doble pulso", "collabel:Supervisada",
      "rowlabel:Zona 1 - [011]", "rowlabel:Zona 2 - [012]", "rowlabel:Zona 3 - [013]", "rowlabel:Zona 4 - [014]",
      "rowlabel:Zona 5 - [015]", "rowlabel:Zona 6 - [016]", "rowlabel:Zona 7 - [017]", "rowlabel:Zona 8 - [018]"}},
    // Flash table: rows "i : 0x<hex>", a column per table column.
    {"Central VX16 (16 zonas)/Agenda de teléfonos",
     {"label:Agenda de teléfonos", "grid", "collabel:Teléfono", "collabel:Tipo de aviso", "collabel:Intentos",
      "collabel:Áreas", "collabel:Línea", "rowlabel:0 : 0x0", "rowlabel:1 : 0x1", "rowlabel:2 : 0x2",
      "rowlabel:3 : 0x3", "rowlabel:4 : 0x4", "rowlabel:5 : 0x5", "rowlabel:6 : 0x6", "rowlabel:7 : 0x7",
      "rowlabel:8 : 0x8", "rowlabel:9 : 0x9", "rowlabel:10 : 0xa", "rowlabel:11 : 0xb", "rowlabel:12 : 0xc",
      "rowlabel:13 : 0xd", "rowlabel:14 : 0xe", "rowlabel:15 : 0xf"}},
    // File group: the web-server image row (header, source folder, build), then a file row.
    {"Central VX16 (16 zonas)/Servidor web",
     {"label:Servidor web", "check:", "label: 1 - Imagen del servidor web", "field", "button:Examinar...",
      IMAGE_HEADER, "field", "button:...", "button:Compilar", "check:", "label: 2 - Logotipo de la página", "field",
      "button:Examinar..."}},
    // Event lists of the three formats' columns (the central's records carry the account, the
    // keypad's the receiver too, with the account filter).
    {"Central VX16 (16 zonas)/Eventos",
     {"label:Eventos", EVENT_COLUMNS, "column:Abonado", EVENT_FILTERS, EVENT_BUTTONS}},
    {"Teclado TK40 con lector de proximidad/Eventos",
     {"label:Eventos", EVENT_COLUMNS, "column:Abonado", "column:Linea receptor", "column:Numero receptor",
      EVENT_FILTERS, "check: Filtrar por código de abonado ", "field", EVENT_BUTTONS}},
    // Site plans: edit button and page chooser, the tools, the four canvases, the picture row.
    {"Central VX16 (16 zonas)/Estado/Gráfico",
     {"label:Gráfico", "button:Entrar en modo de edición", "combo", "choice:Mapa 1", "choice:Mapa 2", "choice:Mapa 3",
      "choice:Mapa 4", "choice:Mosaico", "value:Mosaico", "toolbar [hidden]",
      "tool:|Fuego|Detector de humos (fuego)|sensorfoc.png [hidden]",
      "tool:|Agua|Detector de humedad (agua, inundaciones)|sensoraigua.png [hidden]",
      "tool:|Barrera|Barrera|sensorbarrera.png [hidden]", "tool:|Gas|Detector de gas|sensorgas.png [hidden]",
      "tool:|Infrarojo|Detector de intrusiones|sensorinfraroig.png [hidden]",
      "tool:|Contacto|Contacto|sensorcontacte.png [hidden]", "tool:- [hidden]",
      "tool:|Sirena|Sirena|sortidasirena.png [hidden]", "tool:|Salida|Salida normal o PGM|sortidanormal.png [hidden]",
      "tool:|Relé|Salida de relé|sortidarele.png [hidden]", "tool:- [hidden]",
      "tool:|Borrar|Borrar un componente|cancel.png [hidden]", "window", "window", "window", "window", "field [hidden]",
      "button:Examinar... [hidden]"}},
    // One page in edit mode: the tools, the page's canvas alone and the picture row are shown.
    {"Central VX16 (16 zonas)/Estado/Gráfico > choice:Mapa 2 > button:Entrar en modo de edición",
     {"label:Gráfico", "button:Salir del modo de edición", "combo", "choice:Mapa 1", "choice:Mapa 2", "choice:Mapa 3",
      "choice:Mapa 4", "choice:Mosaico", "value:Mapa 2", "toolbar",
      "tool:|Fuego|Detector de humos (fuego)|sensorfoc.png",
      "tool:|Agua|Detector de humedad (agua, inundaciones)|sensoraigua.png", "tool:|Barrera|Barrera|sensorbarrera.png",
      "tool:|Gas|Detector de gas|sensorgas.png", "tool:|Infrarojo|Detector de intrusiones|sensorinfraroig.png",
      "tool:|Contacto|Contacto|sensorcontacte.png", "tool:-", "tool:|Sirena|Sirena|sortidasirena.png",
      "tool:|Salida|Salida normal o PGM|sortidanormal.png", "tool:|Relé|Salida de relé|sortidarele.png", "tool:-",
      "tool:|Borrar|Borrar un componente|cancel.png", "window", "field", "button:Examinar..."}},
    // Installation data: a label and its control per row, the link kinds, the two flags.
    {"Datos",
     {"label:Datos", "label:Nombre de la instalación", "field", "label:Nombre del cliente", "field",
      "label:Dirección del cliente", "field", "label:Número de teléfono del cliente", "field",
      "label:Email del cliente", "field", "label:Tipo de conexión a usar", "combo", "choice:0 - Ninguna",
      "choice:1 - Local", "choice:2 - Modem", "choice:3 - CSD", "choice:4 - TCP/IP", "choice:5 - GPRS",
      "choice:6 - CRA LINK", "value:1 - Local", "label:BaudRate conexión local", "field",
      "label:Teléfono analógico para llamada bidireccional", "field",
      "label:Teléfono digital (CSD) para llamada bidireccional", "field", "label:IP destino", "field",
      "label:Puerto TCP destino", "field", "label:IP destino (GPRS)", "field", "label:Puerto TCP destino (GPRS)",
      "field", "label:IP destino (CRA-LINK)", "field", "label:Puerto TCP destino (CRA-LINK)", "field",
      "check:Utilizar modo callback (sólo para tipos Modem y CSD)",
      "check:Utilizar llamada especial (sólo para conexión Módem)"}},
};

#undef CLOCK_ROW
#undef ZONE_COLUMN
#undef AREA_BUTTONS
#undef OUTPUT_BUTTONS
#undef WARNING
#undef WARNINGS
#undef ON
#undef OFF
#undef NO_BARS
#undef EVENT_FILTERS
#undef EVENT_BUTTONS
#undef EVENT_COLUMNS
#undef IMAGE_HEADER

// One dialog: kind as the scripted dialogs name it ("text", "error", "yesno", "choose", "open",
// "save", "folder", "info"; "progress" for a progress dialog, listed after the questions), its
// question or message ('*' at the end: any further text), its caption or title, its wildcard.
struct Asked {
    const char* kind;
    const char* text;
    const char* caption;
    const char* wildcard;
};
// A control of a view used as the installer does (a click, a tick), the answer to its first
// question (null: No or Cancel; a file name: that file in the test's folder) and what it asks.
struct Command {
    const char* node;     // as in View
    const char* control;  // as in View; '*' allowed
    int nth;              // which of the controls that match, from 1
    const char* answer;
    std::vector<Asked> asked;
};

inline const char* const kClockPrompt =
    "Escriba la fecha y la hora en este formato:\n\n      hhmmssddmmaa\n\n*(aa = años después de 2000)";

inline const char* const kPlanEditing =
    "Central VX16 (16 zonas)/Estado/Gráfico > choice:Mapa 1 > button:Entrar en modo de edición";

inline const Command kCommands[] = {
    {"Central VX16 (16 zonas)/Estado/General", "button:Sincronizar fecha y hora con el PC", 1, nullptr,
     {{"progress", "Enviando...", "Enviando...", ""}}},
    {"Central VX16 (16 zonas)/Estado/General", "button:Cambiar fecha y hora", 1, nullptr,
     {{"text", kClockPrompt, "Fecha y Hora", ""}}},
    // A wrong length is refused (the reason follows the message).
    {"Central VX16 (16 zonas)/Estado/General", "button:Cambiar fecha y hora", 1, "12000001010",
     {{"text", kClockPrompt, "Fecha y Hora", ""}, {"error", "Format de fecha/hora incorrecto*", "Error", ""}}},
    {"Central VX16 (16 zonas)/Estado/General", "button:Cambiar fecha y hora", 1, "120000010107",
     {{"text", kClockPrompt, "Fecha y Hora", ""}, {"progress", "Enviando...", "Enviando...", ""}}},
    {"Central VX16 (16 zonas)/Estado/General", "button:Enviar test telefónico", 1, nullptr,
     {{"progress", "Enviando...", "Enviando...", ""}}},
    {"Central VX16 (16 zonas)/Eventos", "check:Recibir toda la memoria de eventos", 1, nullptr,
     {{"yesno",
       "Si marca esta opción puede que reciba eventos erróneos y eventos repetidos.\n ¿Esta seguro de que quiere "
       "marcar esta opción?",
       "Confirmar", ""}}},
    {"Central VX16 (16 zonas)/Eventos", "button:Vaciar", 1, nullptr,
     {{"yesno", "¿Seguro que desea vaciar la lista de eventos?", "Vaciar", ""}}},
    {"Central VX16 (16 zonas)/Eventos", "button:Exportar", 1, nullptr,
     {{"save", "Elija un nombre para el fichero CSV de exportación", "", "*.csv"}}},
    {"Central VX16 (16 zonas)/Eventos", "button:Exportar", 1, "eventos",
     {{"save", "Elija un nombre para el fichero CSV de exportación", "", "*.csv"},
      {"info",
       "Lista de eventos exportada con éxito.\nDespues de exportar se recomiendo vaciar la lista de eventos\npara "
       "evitar ficheros de instalación demasiado grandes.",
       "Información", ""}}},
    // A file that cannot be opened: the message, the path, then the system's reason.
    {"Central VX16 (16 zonas)/Eventos", "button:Exportar", 1, "no-such-folder/eventos.csv",
     {{"save", "Elija un nombre para el fichero CSV de exportación", "", "*.csv"},
      {"error", "No se pudo abrir el fichero para escritura: \n*eventos.csv\n*", "Error", ""}}},
    {kPlanEditing, "tool:|Fuego|*", 1, nullptr,
     {{"choose", "¿A que zona desea asignar este sensor?", "Asignar zona", ""}}},
    {kPlanEditing, "tool:|Contacto|*", 1, nullptr,
     {{"choose", "¿A que zona desea asignar este sensor?", "Asignar zona", ""}}},
    {kPlanEditing, "tool:|Sirena|*", 1, nullptr,
     {{"choose", "¿A que salida desea asignar este componente?", "Asignar salida", ""}}},
    {kPlanEditing, "tool:|Salida|*", 1, nullptr,
     {{"choose", "¿A que salida desea asignar este componente?", "Asignar salida", ""}}},
    {kPlanEditing, "tool:|Relé|*", 1, nullptr,
     {{"choose", "¿A que relé desea asignar este componente?", "Asignar relé", ""}}},
    {kPlanEditing, "button:Examinar...", 1, nullptr, {{"open", "Mapa", "", "*.gif"}}},
    {"Central VX16 (16 zonas)/Servidor web", "button:Examinar...", 1, nullptr,
     {{"open", "Fichero FLASH (ROM)", "", "*.rom"}}},
    {"Central VX16 (16 zonas)/Servidor web", "button:...", 1, nullptr, {{"folder", "Dir", "", ""}}},
    {"Central VX16 (16 zonas)/Servidor web", "button:Compilar", 1, nullptr,
     {{"save", "Fichero FLASH (ROM)", "", "*.rom"}}},
    // Every file is offered: on this platform "*.*" would hide the names without a dot.
    {"Central VX16 (16 zonas)/Servidor web", "button:Examinar...", 2, nullptr, {{"open", "Flash file", "", "*"}}},
};

}  // namespace expected
