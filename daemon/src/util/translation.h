#pragma once

class QTranslator;

// Loads the store client's catalogue for the system locale into translator,
// exactly that file and no fallback names, and installs the translator into
// the application, whether or not the file was there.
void loadStoreTranslation(QTranslator *translator);
