// A form with two list boxes, as the main window holds its station lists: list1 for the numbered
// names, list2 for the addresses. For the tests and the benchmark of the list loader.
#pragma once
#include <windows.h>

#include <optional>

#include "platform/toolkit/form.h"

namespace zarvio::test {

class ListHost : public Form {
public:
    HWND list1 = nullptr, list2 = nullptr;

    // The lists one above the other, 3000 by 2000 twips each: a client area of 3000 by 4000.
    ListHost() = default;
    // The lists at the given places, list1 in the given font.
    ListHost(TwipsRect place1, TwipsRect place2, std::optional<FontDescription> font1 = std::nullopt)
        : place1_(place1), place2_(place2), font1_(font1) {}
    ~ListHost() override { Destroy(); }

private:
    void BuildControls() override {
        list1 = AddListBox(hwnd(), 1, place1_);
        if (font1_) SetFont(list1, *font1_);
        list2 = AddListBox(hwnd(), 2, place2_);
    }

    TwipsRect place1_{0, 0, 3000, 2000};
    TwipsRect place2_{0, 2000, 3000, 2000};
    std::optional<FontDescription> font1_;
};

}  // namespace zarvio::test
