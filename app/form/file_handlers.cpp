// Handlers of the File menu.
#include "app/form/tform1.h"
#include "files/coefficient_files.h"
#include "files/mesh_generator.h"
#include "files/picture_export.h"
#include "files/samples_file.h"
#include "files/table_export.h"

void TForm1::Samples1Click() { openSamples(ws, *this); }
void TForm1::Coefficients1Click() { openCoefficients(ws, *this); }
void TForm1::SaveSamples1Click() { saveSamples(ws, *this); }
void TForm1::SaveCoefficients1Click() { saveCoefficients(ws, *this); }
void TForm1::Weights1Click() { saveWeights(ws, *this); }
void TForm1::SaveSource1Click() { saveSource(ws, *this); }
void TForm1::SaveValues1Click() { saveValues(ws, *this); }
void TForm1::Picture1Click() { savePicture(*this); }
void TForm1::LoadCoefficients1Click() { loadTestCoefficients(ws); }
void TForm1::Mesh1Click() { generateMesh(ws, *this); }
