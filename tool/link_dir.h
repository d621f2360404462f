#pragma once

#include <QString>

// Mirrors the tree below source into target by absolute symbolic links: one
// link for each file or directory the target lacks, descending only where the
// target has a real directory of its own.
void linkDir(const QString &source, const QString &target);
