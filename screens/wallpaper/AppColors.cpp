#include "AppColors.h"

#include "SystemColor.h"

QColor AppColors::red() { return systemColor(SystemColor::red); }
QColor AppColors::orange() { return systemColor(SystemColor::orange); }
QColor AppColors::green() { return systemColor(SystemColor::green); }
QColor AppColors::blue() { return systemColor(SystemColor::blue); }
