// Texts and intervals that the link, the frame layer and the application core share. They are
// defined here, in the lowest layer that reports them, and the layers above refer to them.
#pragma once

// An operation's Cancel button was pressed.
inline constexpr const char* kTextCancelled = "Cancelado por el usuario";
// The link broke while connected, whichever layer noticed it first.
inline constexpr const char* kTextConnectionLost = "Se perdió la conexión";
// A bus, memory or flash address that does not fit where it must go.
inline constexpr const char* kTextBadAddress = "Dirección no válida";
// A panel operation asked for while no connection is up.
inline constexpr const char* kTextNotConnected = "No conetado";
// An exchange asked for while another one runs.
inline constexpr const char* kTextBusy = "Espere, Proceso automático en curso";

// The link pump's tick and the idle poll's interval, in milliseconds.
inline constexpr int kPumpIntervalMs = 20;
inline constexpr int kIdlePollIntervalMs = 20000;
