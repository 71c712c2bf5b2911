#pragma once
// Small normalized files filled with generated values, so that an import can be tried without real data.
// A column-definition line is a column name, a tab and a type: TEXTE(n), INTEGER, INTEGER100, BOOLEAN,
// DATE or MEMO; blanks and tabs around the line and around each part are ignored.

#include <string>
#include <vector>

namespace clinova {

// The typed columns of CLIENTS.TXT (51), ANIMAUX.TXT (38) and CONSULTATIONS.TXT (4).
const std::vector<std::string> &ColonnesClients();
const std::vector<std::string> &ColonnesAnimaux();
const std::vector<std::string> &ColonnesConsultations();

// A header and ten data lines, each followed by CR LF, replacing the file. Data line i holds i in the
// identifier columns and the INTEGER ones, i x 100 in the INTEGER100 ones, random letters in the other
// texts. When building a line fails (a TEXTE( type whose length is not an integer), the lines built so
// far are written before the error goes on.
void WriteTestFile(const std::vector<std::string> &definitions, const std::string &path);

// CLIENTS.TXT, ANIMAUX.TXT and CONSULTATIONS.TXT, in that order, into the folder.
void GenerateTestFiles(const std::string &folder);

} // namespace clinova
