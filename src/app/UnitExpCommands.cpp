// Placeholders for the three commands until their own files arrive.
#include "UnitExp.h"

namespace pagora {

void TfExpo::mnuImportadaExcelClick(TObject* /*Sender*/) {}
void TfExpo::Copianegliappunti1Click(TObject* /*Sender*/) {}
void TfExpo::Generascript1Click(TObject* /*Sender*/) {}

} // namespace pagora
