#include "dcomp/XMeasBoxCpx.h"

#include "dcomp/LangUnit.h"

namespace dcomp {

namespace {

// TXT_BladOtw is registered twice, as it always was; lookups find the first.
const TLangText kTexts[] = {
    {"TXT_Konfig", "Konfiguracja"},
    {"TXT_001", "Nastawa"},
    {"TXT_002", "Wartość"},
    {"TXT_003", "Domyślna"},
    {"TXT_004", "Podpowiedź"},
    {"TXT_005", "włącz"},
    {"TXT_006", "Zakres"},
    {"TXT_007", "Zakres nastawy"},
    {"TXT_008", "Bład dla nastawy"},
    {"TXT_009", "Wartość domyślna"},
    {"TXT_BladOtw", "Błąd podczas otwarcia pliku"},
    {"TXT_BladOtw", "Błąd podczas otwarcia pliku"},
    {"TXT_PlikZm", "Plik na dysku uległ zmianie."},
    {"TXT_CzyZal", "Czy załadować ponownie ?"},
    {"TXT_BrakRozn", "Brak różnic."},
    {"TXT_SaRozn", "Są różnice. Patrz okno komunikatów."},
    {"TXT_CzyOtwKonf", "Czy chcesz ponownie otworzyć konfigurację ?"},
    {"TXT_StraciszZm", "Stracisz wprowadzone zmiany."},
    {"TXT_ZawPliku", "Zawartość pliku na dysku jest taka sama jak w edytorze."},
    {"TXT_KonfigZm", "Konfiguracja została zmieniona. Czy chcesz zapisać ?"},
};

TXLangGroup* gGroup = nullptr;

}  // namespace

TXLangGroup* XMeasBoxCpxGroup() {
    return gGroup;
}

void InitXMeasBoxCpx() {
    gGroup = AddLangGroup("XMeasBoxCpx", kTexts);
}

void FinalizeXMeasBoxCpx() {
    gGroup = nullptr;
}

}  // namespace dcomp
