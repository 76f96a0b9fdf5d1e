#pragma once
// The imports the output-file commands open: word pictures, sounds and clips from files, and the
// translated names of words and pages from text files. Each writes every item into the output file as
// it goes.

void ImportWordPictures();    // command 5066
void ImportWordSounds();      // command 5067
void ImportWordClips();       // command 5068
void ImportTranslatedWords(); // command 5069
void ImportTranslatedPages(); // command 5070
