// The installation header: who the customer is and how the panel is reached.
#pragma once

#include <string>
#include <string_view>

class CDades {
public:
    CDades() { Clear(); }

    // Every field back to its start value (texts empty, ports 0, flags false, link kind 0,
    // 19200 baud).
    void Clear();

    const std::string& GetNomInstal() const { return nominstal_; }
    const std::string& GetNomClient() const { return nomclient_; }
    const std::string& GetDireccio() const { return direccio_; }
    const std::string& GetTelefon() const { return telefon_; }
    const std::string& GetEmail() const { return email_; }
    const std::string& GetTelfConexio() const { return telfconexio_; }
    const std::string& GetTelfConexioCSD() const { return telfconexioCSD_; }
    const std::string& GetIpDest() const { return ipdest_; }
    const std::string& GetIpGprsDest() const { return ipgprsdest_; }
    const std::string& GetIpCraLnkDest() const { return ipcralnkdest_; }
    int GetIpPort() const { return ipport_; }
    int GetIpGprsPort() const { return ipgprsport_; }
    int GetIpCraLnkPort() const { return ipcralnkport_; }
    bool GetCallback() const { return callback_; }
    bool GetEspecial() const { return especial_; }
    int GetTipusConexio() const { return tipusconexio_; }
    int GetBaudRate() const { return baudrate_; }

    // The setters store without checking; the link checks what it uses.
    bool SetNomInstal(std::string_view v) { nominstal_ = v; return true; }
    bool SetNomClient(std::string_view v) { nomclient_ = v; return true; }
    bool SetDireccio(std::string_view v) { direccio_ = v; return true; }
    bool SetTelefon(std::string_view v) { telefon_ = v; return true; }
    bool SetEmail(std::string_view v) { email_ = v; return true; }
    bool SetTelfConexio(std::string_view v) { telfconexio_ = v; return true; }
    bool SetTelfConexioCSD(std::string_view v) { telfconexioCSD_ = v; return true; }
    bool SetIpDest(std::string_view v) { ipdest_ = v; return true; }
    bool SetIpGprsDest(std::string_view v) { ipgprsdest_ = v; return true; }
    bool SetIpCraLnkDest(std::string_view v) { ipcralnkdest_ = v; return true; }
    bool SetIpPort(int v) { ipport_ = v; return true; }
    bool SetIpGprsPort(int v) { ipgprsport_ = v; return true; }
    bool SetIpCraLnkPort(int v) { ipcralnkport_ = v; return true; }
    bool SetCallback(bool v) { callback_ = v; return true; }
    bool SetEspecial(bool v) { especial_ = v; return true; }
    bool SetTipusConexio(int v) { tipusconexio_ = v; return true; }
    bool SetBaudRate(int v) { baudrate_ = v; return true; }

private:
    std::string nominstal_;
    std::string nomclient_;
    std::string direccio_;
    std::string telefon_;
    std::string email_;
    std::string telfconexio_;
    std::string telfconexioCSD_;
    std::string ipdest_;
    std::string ipgprsdest_;
    std::string ipcralnkdest_;
    int ipport_;
    int ipgprsport_;
    int ipcralnkport_;
    bool callback_;
    bool especial_;
    int tipusconexio_;
    int baudrate_;
};
