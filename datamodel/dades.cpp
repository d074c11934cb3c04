#include "datamodel/dades.h"

void CDades::Clear() {
    nominstal_.clear();
    nomclient_.clear();
    direccio_.clear();
    telefon_.clear();
    email_.clear();
    telfconexio_.clear();
    telfconexioCSD_.clear();
    ipdest_.clear();
    ipgprsdest_.clear();
    ipcralnkdest_.clear();
    ipport_ = 0;
    ipgprsport_ = 0;
    ipcralnkport_ = 0;
    callback_ = false;
    especial_ = false;
    tipusconexio_ = 0;
    baudrate_ = 19200;
}
