// Handlers of the File menu.
#include "app/form/tform1.h"

void TForm1::Samples1Click() {}
void TForm1::Coefficients1Click() {}
void TForm1::SaveSamples1Click() {}
void TForm1::SaveCoefficients1Click() {}
void TForm1::Weights1Click() {}
void TForm1::SaveSource1Click() {}
void TForm1::SaveValues1Click() {}
void TForm1::Picture1Click() {}
void TForm1::LoadCoefficients1Click() {}
void TForm1::Mesh1Click() {}
