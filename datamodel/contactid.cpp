#include "datamodel/contactid.h"

namespace {

// The class of a code follows from its number: the hundreds digit for 100 to 699, except the
// programming change (306) and the engineer's reset (313), which are supervisions; the output
// and relay activations (700, 701) are tests; 900 is a telephone call; anything else an alarm.
constexpr int ClassOfCode(int code) {
    if (code == 306 || code == 313) return EventClassSupervision;
    if (code >= 100 && code <= 699) return code / 100;
    if (code == 700 || code == 701) return EventClassTest;
    if (code == 900) return EventClassPhoneCall;
    return EventClassAlarm;
}

constexpr ContactIdRow Row(int code, const char* text) { return {code, text, ClassOfCode(code)}; }

}  // namespace

// The order matters only for a code listed twice (none is); the 4xx block keeps its historic
// order, with the access codes 411 to 434 after 466.
constinit const std::array<ContactIdRow, kContactIdRows> ContactIdTable = {{
    Row(100, "Médica"),
    Row(101, "Emergencia Personal"),
    Row(102, "Fallo Supervisión"),
    Row(110, "Fuego"),
    Row(111, "Humo"),
    Row(112, "Combustión"),
    Row(113, "Inundación"),
    Row(114, "Calefacción"),
    Row(115, "Pulsador de incendio"),
    Row(116, "Conducto"),
    Row(117, "Fuego"),
    Row(118, "Prealarma de fuego"),
    Row(120, "Pánico"),
    Row(121, "Coacción"),
    Row(122, "Atraco silencioso"),
    Row(123, "Pánico acústico"),
    Row(124, "Coacción – Conexión"),
    Row(125, "Coacción – Desconexión"),
    Row(130, "Robo"),
    Row(131, "Robo perimetral"),
    Row(132, "Robo interior"),
    Row(133, "Sabotaje"),
    Row(134, "Robo Entrada/Salida"),
    Row(135, "Robo Día/Noche"),
    Row(136, "Robo exterior"),
    Row(137, "Tamper"),
    Row(138, "Prealarma de robo"),
    Row(139, "Verificador de intrusión"),
    Row(140, "Alarma General"),
    Row(141, "Lazo multiplexor abierto"),
    Row(142, "Lazo multiplexor corto"),
    Row(143, "Fallo en módulo de expansión"),
    Row(144, "Tamper de sensor"),
    Row(145, "Tamper de módulo de expansión"),
    Row(146, "Robo silencioso"),
    Row(147, "Fallo de supervisión de sensor"),
    Row(150, "24 Horas genérica"),
    Row(151, "Detectado gas"),
    Row(152, "Refrigeración"),
    Row(153, "Calefactor"),
    Row(154, "Escape de agua"),
    Row(155, "Cristal roto"),
    Row(156, "Avería zona día"),
    Row(157, "Bajo nivel de gas"),
    Row(158, "Alta temperatura"),
    Row(159, "Baja temperatura"),
    Row(161, "Pérdida de aire"),
    Row(162, "Detectado Monóxido Carbón"),
    Row(163, "Nivel depósito"),
    Row(200, "Supervisor de Fuego"),
    Row(201, "Baja presión de agua"),
    Row(202, "Nivel bajo de CO2"),
    Row(203, "Sensor de válvula de puerta"),
    Row(204, "Nivel bajo de agua"),
    Row(205, "Bomba (agua) activada"),
    Row(206, "Bomba (agua) falló"),
    Row(300, "Avería del Sistema"),
    Row(301, "No AC"),
    Row(302, "Batería baja"),
    Row(303, "Checksum RAM incorrecto"),
    Row(304, "Checksum ROM incorrecto"),
    Row(305, "Reset del sistema"),
    Row(306, "Programación de la central cambiada"),
    Row(307, "Fallo de test"),
    Row(308, "Apagado del sistema"),
    Row(309, "Test de bateria falló"),
    Row(310, "Falta conexión a masa"),
    Row(311, "Batería Falta/Inutilizada"),
    Row(312, "Sobrecarga en fuente de alimentación"),
    Row(313, "Reset del ingeniero"),
    Row(320, "Relé/Sirena"),
    Row(321, "Sirena 1"),
    Row(322, "Sirena 2"),
    Row(323, "Alarma en relé"),
    Row(324, "Avería en relé"),
    Row(325, "Relé invertido"),
    Row(326, "Notificación Appliance Ckt. # 3"),
    Row(327, "Notificación Appliance Ckt. #4"),
    Row(330, "Avería en el sistema periférico"),
    Row(331, "Lazo multiplexor abierto (periféricos)"),
    Row(332, "Lazo multiplexor corto (periféricos)"),
    Row(333, "Fallo en módulo de expansión (periférico)"),
    Row(334, "Fallo en repetidor"),
    Row(335, "Impresora sin papel"),
    Row(336, "Fallo de impresora"),
    Row(337, "Modulo Exp. sin DC"),
    Row(338, "Módulo Exp. Batería baja"),
    Row(339, "Módulo Exp. Reset"),
    Row(341, "Módulo Exp. Tamper"),
    Row(342, "Módulo Exp. sin AC"),
    Row(343, "Módulo Exp. fallo test"),
    Row(344, "Detectado Jam en receptor RF"),
    Row(350, "Avería de Comunicación"),
    Row(351, "Fallo Telco 1"),
    Row(352, "Fallo Telco 2"),
    Row(353, "Fallo de transmisor radio largo alcance"),
    Row(354, "Fallo comunicación"),
    Row(355, "Pérdida supervisión radio"),
    Row(356, "Pérdida polling de la central"),
    Row(357, "Problema ROE TX VR largo alcance"),
    Row(370, "Lazo Protección"),
    Row(371, "Lazo Protección abierto"),
    Row(372, "Lazo Protección corto"),
    Row(373, "Avería Fuego"),
    Row(374, "Alarma error en salida (zona)"),
    Row(375, "Avería en zona pánico"),
    Row(376, "Hold-up zone trouble"),
    Row(377, "Swinger Trouble"),
    Row(378, "Cross-zone Trouble"),
    Row(380, "Avería en Sensor"),
    Row(381, "Pérdida de supervisión - RF"),
    Row(382, "Pérdida de supervisión - RPM"),
    Row(383, "Tamper de Sensor"),
    Row(384, "Batería baja en RF"),
    Row(385, "Detector de humos de alta sensibilidad"),
    Row(386, "Detector de humos de baja sensibilidad"),
    Row(387, "Detector de instrusos alta sensibilidad"),
    Row(388, "Detector de instrusos baja sensibilidad"),
    Row(389, "Fallo de test en Sensor"),
    Row(391, "Avería en sensor vigía"),
    Row(392, "Error de rango de valores en sensor"),
    Row(393, "Alerta de mantenimiento"),
    Row(400, "Abierto/Cerrado (ON/OFF)"),
    Row(401, "Usuario ON/OFF"),
    Row(402, "Grupo ON/OFF"),
    Row(403, "Automatico ON/OFF"),
    Row(404, "ON/OFF retardado"),
    Row(405, "ON/OFF retardado"),
    Row(406, "Cancelación"),
    Row(407, "Conexión remota"),
    Row(408, "Conexión rápida"),
    Row(409, "Interruptor ON/OFF"),
    Row(441, "Conectado STAY"),
    Row(442, "Conectado Interruptor STAY"),
    Row(450, "Excepción ON/OFF"),
    Row(451, "ON/OFF prematura"),
    Row(452, "ON/OFF retardado"),
    Row(453, "Fallo al abrir/activar"),
    Row(454, "Fallo al cerrar"),
    Row(455, "Auto-armado Falló"),
    Row(456, "Conexión parcial"),
    Row(457, "Error al salir (usuario)"),
    Row(458, "Usuario en Premisas"),
    Row(459, "Cierre reciente"),
    Row(461, "Código de entrada incorrecto"),
    Row(462, "Código de entrada legal"),
    Row(463, "Re-conexión después de alarma"),
    Row(464, "Auto-armado de tiempo extendido"),
    Row(465, "Reset de alarma de pánico"),
    Row(466, "Servicio On/Off Premisas"),
    Row(411, "Petición de Callback"),
    Row(412, "Descarga/acceso satisfactorio"),
    Row(413, "Acceso no satisfactorio"),
    Row(414, "Comando apagado recibido"),
    Row(415, "Comando apagado recibido por el comunicador"),
    Row(416, "Upload satisfactorio"),
    Row(421, "Acceso denegado"),
    Row(422, "Acceso reportado por usuario"),
    Row(423, "Acceso forzado"),
    Row(424, "Desconexión denegada"),
    Row(425, "Desconexión"),
    Row(426, "Puerta de Acceso abierta correct"),
    Row(427, "Avería puerta de acceso"),
    Row(428, "Avería punto petición de acceso"),
    Row(429, "Entrada modo de Acceso del programa"),
    Row(430, "Salida modo de Acceso programa"),
    Row(431, "Cambio nivel de amenaza"),
    Row(432, "Acceso relé/trigger falló"),
    Row(433, "Acceso RTE desviado"),
    Row(434, "Acceso DSM desviado"),
    Row(501, "Sistema anulado"),
    Row(520, "Sirena/Relé anulado"),
    Row(521, "Sirena 1 anulada"),
    Row(522, "Sirena 2 anulada"),
    Row(523, "Alarma de relé anulada"),
    Row(524, "Avería relé anulada"),
    Row(525, "Relé reversible anulado"),
    Row(526, "Notificación de comprobación de aplicación # 3 desactivada"),
    Row(527, "Notificación Appliance Ckt. # 4 disable"),
    Row(531, "Módulo Añadido"),
    Row(532, "Módulo extraído"),
    Row(551, "Comunicador desactivado"),
    Row(552, "Transmisor Radio desactivado"),
    Row(553, "Upload/Download remoto desactivado"),
    Row(570, "Omisión Zona/Sensor"),
    Row(571, "Omisión Fuego"),
    Row(572, "Zona 24 Hour omitida"),
    Row(573, "Omisión Robo"),
    Row(574, "Omisión grupo"),
    Row(575, "Omisión Swinger"),
    Row(576, "Zona de acceso desviada"),
    Row(577, "Punto de acceso omitida"),
    Row(601, "Test manual"),
    Row(602, "Test"),
    Row(603, "Test vía radio"),
    Row(604, "Test fuego"),
    Row(605, "Informe de estado"),
    Row(606, "Escucha activada"),
    Row(607, "Test de Ruta de andado"),
    Row(608, "Test periódico - Avería de sistema"),
    Row(609, "Transmisor de vídeo activo"),
    Row(611, "Punto testeado OK"),
    Row(612, "Punto no testeado"),
    Row(613, "Intrusión Zona Andado Testeada"),
    Row(614, "Fuego Zona Andado Testeada"),
    Row(615, "Pánico Zona Andado Testeada"),
    Row(616, "Servicio pedido"),
    Row(621, "Reset registro de eventos"),
    Row(622, "Registro eventos al 50%"),
    Row(623, "Registro eventos al 90%"),
    Row(624, "Registro eventos lleno"),
    Row(625, "Fecha/Hora reseteada"),
    Row(626, "Fecha/Hora inválida"),
    Row(627, "Entrada en modo programación"),
    Row(628, "Salida del modo programación"),
    Row(629, "Marca fecha y hora"),
    Row(630, "Cambio de programa"),
    Row(631, "Excepción cambio programa"),
    Row(632, "Acceso cambio programa"),
    Row(641, "Avería en vigilante senior"),
    Row(642, "Supervisión Latch-key"),
    Row(651, "Reservado para Ademco"),
    Row(652, "Reservado para Ademco"),
    Row(653, "Reservado para Ademco"),
    Row(654, "Sistema inactivo"),
    Row(700, "Salida acivada"),
    Row(701, "Relé activado"),
    Row(900, "Evento telefónico"),
    Row(0, "No se encontró descripción"),
}};

namespace {

// Event codes of the standard records' indices 0 to 98.
constexpr int kIndexedCodes[] = {
    100, 110, 111, 112, 113, 114, 115, 118, 120, 121,
    122, 130, 131, 132, 133, 134, 135, 136, 137, 138,
    140, 141, 142, 143, 145, 151, 152, 153, 154, 155,
    157, 158, 159, 161, 201, 202, 203, 204, 205, 206,
    300, 301, 302, 305, 306, 309, 320, 321, 322, 333,
    334, 335, 336, 340, 388, 351, 381, 384, 373, 380,
    383, 402, 401, 403, 406, 407, 408, 409, 412, 421,
    422, 521, 522, 523, 530, 550, 551, 552, 570, 571,
    572, 573, 601, 602, 603, 604, 606, 607, 625, 630,
    700, 354, 307, 626, 701, 344, 352, 610, 629,
};
static_assert(sizeof kIndexedCodes / sizeof kIndexedCodes[0] == 99);

constexpr std::array<ContactIdIndexEntry, kContactIdIndexEntries> BuildIndexTable() {
    std::array<ContactIdIndexEntry, kContactIdIndexEntries> table{};
    int index = 0;
    for (int code : kIndexedCodes) {
        const int tens = code / 10 % 10;
        const int units = code % 10;
        table[index][0] = static_cast<unsigned char>(code / 100);
        table[index][1] = static_cast<unsigned char>(tens << 4 | units);
        ++index;
    }
    return table;
}

}  // namespace

constinit const std::array<ContactIdIndexEntry, kContactIdIndexEntries> ContactIdIndexTable =
    BuildIndexTable();

const ContactIdRow& FindContactId(int code) {
    for (const ContactIdRow& row : ContactIdTable) {
        if (row.code == code || row.code == 0) return row;
    }
    return ContactIdTable.back();
}

const ContactIdRow& FindContactIdDigits(char hundreds, char tens, char units) {
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : -1; };
    const int h = digit(hundreds), t = digit(tens), u = digit(units);
    if (h < 0 || t < 0 || u < 0) return ContactIdTable.back();
    return FindContactId(100 * h + 10 * t + u);
}
