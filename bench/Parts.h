#pragma once
// The benchmark's parts, in the order main runs them; each adds its rows to the table.
#include <QString>
#include <QStringList>

#include "BenchData.h"

struct Bench;

// The real program started on a photo folder, beside an empty one plus a plain decode.
void BenchLaunch(const BenchData::Pictures& pics, const QString& work);
// Cold shows in fit mode; the median of the 24 MP baseline one, which the held-key part
// compares its backlog with.
double BenchColdShow(Bench& b, const BenchData::Pictures& pics, const QString& work);
void BenchStepping(Bench& b, const QString& stepFolder, double cold24);
void BenchPace(Bench& b, const BenchData::Pictures& pics, const QString& work);
void BenchDigit(Bench& b, const QStringList& sources, const QString& work);
void BenchOpen(Bench& b, const BenchData::Pictures& pics);
void BenchMoves(Bench& b, const BenchData::Pictures& pics, const QString& work);
void BenchPng(const BenchData::Pictures& pics);
void BenchMemory(Bench& b, const QString& stepFolder);
// HEIC, RAW and WebP, and colour profiles, through the window.
void BenchFormats(Bench& b, const BenchData::Pictures& pics, const BenchData::FormatPictures& more,
                  const QString& work);
