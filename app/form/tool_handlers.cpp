// Handlers of the sample and series commands of the Edit menu, and of the Evaluate and Tools
// menus.
#include "app/form/tform1.h"

void TForm1::DropOutside1Click() {}
void TForm1::DropInside1Click() {}
void TForm1::Sample1Click() {}
void TForm1::Add1Click() {}
void TForm1::Subtract1Click() {}
void TForm1::Differentiate1Click() {}
void TForm1::Fejer1Click() {}

void TForm1::FractalDimension1Click() {}
void TForm1::PowerSpectrum1Click() {}
void TForm1::Autocorrelation1Click() {}

void TForm1::Denoise1Click() {}
void TForm1::Beta1Click() {}
void TForm1::Alpha1Click() {}
void TForm1::Both1Click() {}
void TForm1::Score1Click() {}
