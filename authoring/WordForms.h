#pragma once
// A word's form: the 16-bit form word of CQuibWord, bits 12 to 15 the word class and bits 8 to 11 the
// inflexion (0x100 the base form of every class); the low byte belongs to others and is kept.
//
// The class names are system strings (1110 "ingen form" to 1118 "anden form"); the inflexion names are
// fixed Danish grammatical terms. FormName and WordClassName serve the word editor's basic page, its
// word list report, and whoever else shows a form.

#include <QString>

#include <cstdint>
#include <vector>

constexpr int kWordClassMask = 0xF000;
constexpr int kInflexionMask = 0x0F00;
constexpr int kBaseForm = 0x0100;
constexpr int kOtherForm = 0x0F00;

// The class bits of a form word, 0x0000 to 0xF000.
int WordClassOf(std::int16_t form);
// The inflexion bits of a form word, 0x000 to 0xF00.
int InflexionOf(std::int16_t form);

// The name of the form's inflexion within its class; empty for a combination that has none.
QString FormName(std::int16_t form);
// The name of the form's class (classes 0x0000 to 0x8000); empty for any other class.
QString WordClassName(std::int16_t form);

// The nine classes of the class list, in its order (0x0000 to 0x8000).
std::vector<int> WordClasses();
// The inflexions a class offers, in the list's order: 0x100, 0x200, 0x300, 0x400, 0xF00 as far as the
// class has them; a class without its own inflexions offers only 0x100.
std::vector<int> InflexionsOfClass(int wordClass);
