// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

class QTranslator;

// Loads the store client's catalogue for the system locale into translator,
// exactly that file and no fallback names, and installs the translator into
// the application, whether or not the file was there.
void loadStoreTranslation(QTranslator *translator);
