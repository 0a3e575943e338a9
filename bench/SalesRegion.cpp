#include "SalesRegion.h"

#include "SafeArrayFixture.h"

#include <array>
#include <new>
#include <string>

namespace pagora::bench {

namespace {

using test::Cell;
using test::Cy;
using test::Date;
using test::I4;
using test::R8;
using test::Str;

// Texts in the ANSI code page (1252): the accented letters of Italian names.
constexpr std::array kDescriptions = {"Caff\xE8 espresso in grani",   "T\xE8 verde biologico",
                                      "Past\xE0 di mandorle",         "Acqua minerale naturale",
                                      "Biscotti al cioccolato",       "Olio extravergine d'oliva",
                                      "Formaggio stagionato 24 mesi", "Pi\xF9 cioccolato fondente"};
constexpr std::array kCategories = {"Bevande",   "Dolciumi", "Alimentari",
                                    "Surgelati", "Igiene",   "Casa"};
constexpr std::array kClients = {"Societ\xE0 Rossi & C.", "Bianchi S.r.l.",
                                 "Caff\xE8 Verdi",        "Ferrari Distribuzione",
                                 "Esposito e Figli",      "Cooperativa Agricola",
                                 "Ristorante Da Nin\xEC"};
constexpr std::array kCities = {"Milano", "Forl\xEC", "Cant\xF9", "Nard\xF2", "Roma",
                                "Napoli", "Torino",   "Pral\xEC", "Bologna"};
constexpr std::array kStates = {"Evaso", "In attesa", "Spedito", "Annullato"};

constexpr double kFirstDay = 43831.0; // 1 January 2020

template <std::size_t N> Cell Pick(const std::array<const char*, N>& texts, long n) {
    return Str(texts[static_cast<std::size_t>(n) % N]);
}

// Every `period`-th record leaves the cell empty, never the first one.
Cell Sometimes(long n, long period, Cell cell) {
    return n % period == period - 1 ? test::Empty() : cell;
}

// The field `field` of record n (from 0).
Cell SalesCell(int field, long n) {
    switch (field) {
    case 0:
        return Str("ART-" + std::to_string(100000 + n % 50000));
    case 1:
        return Str(std::string(kDescriptions[n % kDescriptions.size()]) + " n. " +
                   std::to_string(n % 997));
    case 2:
        return I4(1 + n % 250);
    case 3:
        return R8(0.5 + (n % 10000) * 0.01);
    case 4:
        return Cy((n % 100000) * 0.25);
    case 5:
        return Date(kFirstDay + n % 1461);
    case 6:
        return Pick(kCategories, n);
    case 7:
        return Sometimes(n, 3, Str("Consegna entro venerd\xEC, piano terra"));
    case 8:
        return Sometimes(n, 4, R8((n % 30) * 0.5));
    case 9:
        return I4(1 + n % 12);
    case 10:
        return Pick(kClients, n / 3);
    case 11:
        return Pick(kCities, n / 7);
    case 12:
        return R8(0.125 * (1 + n % 400));
    case 13:
        return Cy((n % 2200) * 0.22);
    case 14:
        return Sometimes(n, 5, Date(kFirstDay + 3 + n % 1461));
    case 15:
        return I4(100000 + n);
    case 16:
        return Pick(kStates, n / 11);
    case 17:
        return Sometimes(n, 6,
                         Str("RIF/" + std::to_string(2020 + n % 5) + "/" + std::to_string(n)));
    case 18:
        return Cy((n % 100000) * 0.25 * 1.22);
    default:
        return Date(kFirstDay + n % 730 + (n % 24) / 24.0);
    }
}

constexpr std::array<const char*, kSalesFields> kTitles = {
    "Codice",   "Descrizione", "Quantit\xE0", "Prezzo",      "Importo",  "Data ordine", "Categoria",
    "Note",     "Sconto",      "Magazzino",   "Cliente",     "Citt\xE0", "Peso kg",     "IVA",
    "Consegna", "Ordine",      "Stato",       "Riferimento", "Totale",   "Aggiornato"};

// Writes the cell into the element in place: the array takes over its text.
void Put(SAFEARRAY* array, LONG row, LONG column, const Cell& cell) {
    LONG at[2] = {row, column};
    void* element = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(array, at, &element)))
        throw std::bad_alloc();
    cell.FillInto(*static_cast<VARIANT*>(element));
}

} // namespace

Variant MakeSalesRegion(std::int32_t records) {
    const ULONG rows = static_cast<ULONG>(records) + 1;
    Variant region = test::MakeArray(VT_VARIANT, {{rows, 1}, {kSalesFields, 1}});
    SAFEARRAY* array = region.Get().parray;
    if (array == nullptr)
        throw std::bad_alloc();
    const SafeArrayLockGuard lock(array);
    for (LONG column = 1; column <= kSalesFields; ++column)
        Put(array, 1, column, Str(kTitles[column - 1]));
    for (LONG row = 2; row <= static_cast<LONG>(rows); ++row)
        for (LONG column = 1; column <= kSalesFields; ++column)
            Put(array, row, column, SalesCell(column - 1, row - 2));
    return region;
}

} // namespace pagora::bench
