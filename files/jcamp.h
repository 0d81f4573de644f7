// JCAMP-DX spectra: labelled records ("##LABEL= value") around one data table. Read are
// ##XYDATA=(X++(Y..Y)) in plain and compressed form (SQZ, DIF with its Y check, DUP),
// ##XYPOINTS=(XY..XY) and, in a file without either, a ##PEAK TABLE; the abscissae come from
// FIRSTX, LASTX (or DELTAX) and NPOINTS, both scaled by XFACTOR and YFACTOR. Of a file of
// several blocks (##BLOCKS=) or pages (##NTUPLES=) the first spectrum is read, and a note
// says so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Whether a text is JCAMP-DX: its first record is ##TITLE= or ##JCAMP-DX=, whatever the
// file's name.
bool looksLikeJcamp(std::string_view text);

struct JcampSpectrum {
  std::vector<double> x, y;  // in file order
  std::string error;         // why the file cannot be read, naming the line; empty when read
  std::string note;          // what was read of a file that holds more; may be empty
};

JcampSpectrum readJcamp(std::string_view text);

// The numbers of one line of ##XYDATA in any of the ASCII forms, the first being the
// abscissa; DIF values are resolved against the one before them and DUP counts repeated.
// `endsInDif` tells whether the last value came from a difference (the next line's first
// ordinate then repeats it as a check). False, with `error` set, for a character outside the
// forms or a DIF or DUP with nothing before it.
bool decodeXyLine(std::string_view line, std::vector<double>& values, bool& endsInDif,
                  std::string& error);
