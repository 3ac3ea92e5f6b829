// The library's message table. The texts are the system's own and stay as
// they were written, blanks and slips included: front ends and their users
// know them in this form.
#include "ZozedizIZ/shell/Globals.h"

namespace ZozedizIZ::modGlobals {

namespace {

// The help desk's number and the two addresses of the new-version notice are
// placeholders until the office gives the real ones.
#define ZOZ_HELP_DESK "1-800-555-0199"
#define ZOZ_DOWNLOAD_PAGE "http://www.rud.example.gov/zov/download.htm"
#define ZOZ_INSTALL_PAGE "http://www.rud.example.gov/zov/install.htm"

QString text(qint32 id) {
    switch (id) {
    case 101: return QStringLiteral("ZIDIVO Service Connection Error");
    case 102:
        return QStringLiteral("We\u2019re sorry.  There seems to be a problem connecting with our upload service.\r\n"
                              "This could mean that you are not connected to the Internet, that you are behind a "
                              "firewall that blocks access, or that our service is temporarily unavailable. Please "
                              "ensure you are connected to the internet and try again. If the problem continues, "
                              "please call our help desk at " ZOZ_HELP_DESK ".");
    case 103: return QStringLiteral("ZIDIVO New Version");
    case 104:
        return QStringLiteral(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs22 You are presently running version [thisVersion] of [appName].\\par\r\n"
            "\\par\r\n"
            "A newer version, [newVersion] of the software is available from our web site, "
            "\\i " ZOZ_DOWNLOAD_PAGE "\\i0 .\\par\r\n"
            "\\par\r\n"
            "We encourage you to upgrade every year so that you can take advantage of the improvements that we "
            "continue to make to the software.\\par\r\n"
            "\\par\r\n"
            "If you make sure to save your work and close the application before upgrading, your existing report "
            "data will still be available. See the installation instructions for complete details "
            "(\\i " ZOZ_INSTALL_PAGE "\\i0 ).\\par\r\n"
            "}\r\n");
    case 105: return QStringLiteral("ZOV Option B: Excel Macro Security");
    case 106:
        return QStringLiteral(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs24 The macro security setting of Microsoft Excel \\b MUST\\b0  be set to "
            "Medium or lower for this application to work. Click the \\b Macro Security Setting\\b0  button on the "
            "main form for more information. After the security level is set, you must choose to \\b ENABLE\\b0  "
            "macros each time you open an eForm in Excel.\\par\r\n"
            "}\r\n");
    case 108:
        return QStringLiteral(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
            "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
            "\\viewkind4\\uc1\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
            "\\fi-360\\li360\\f0\\fs20 If you provided a Business Registration Number or Applicator Certification "
            "ID, you \\b\\i must\\b0\\i0  include at least one Form 26 (or a Form 26A that shows that no applicators "
            "made applications).\\par\r\n"
            "{\\pntext\\f1\\'B7\\tab}If you provided a Commercial Sales Permit, you \\b\\i must\\b0\\i0  include at "
            "least one sales report (Form 25 or Form 27).\\par\r\n"
            "}\r\n");
    case 201:
        return QStringLiteral(
            "Enter identifying information to the left: (1) Business name and Business Registration Number if "
            "applicable. (2) A Sales Permit Number to report pesticide sales. (3) A Certification ID number and "
            "applicator name to report pesticide usage or to submit a List of Applicators and Technicians. (4) A "
            "contact name, phone number (with area code), and email address.\\nSelect the desired pesticide "
            "reporting form and click ");
    case 202:
        return QStringLiteral("Blank Form to start a blank form or Existing Form to open a previously created form.");
    case 203:
        return QStringLiteral("Validate File. Select a report file in the Open File dialog to verify that it follows "
                              "the text file submission guidelines.");
    case 204:
        return QStringLiteral("Blank Form to start a blank form, Existing Form to open a previously created form, or "
                              "Validate File to validate a file without opening it.");
    case 301:
        return QStringLiteral("The street (or equivalent address component) location of the pesticide application.");
    case 302: return QStringLiteral("If applicator/technician made no Applications this year, check this box.");
    case 303:
        return QStringLiteral("The registration number found on the pesticide business registration certificate.  "
                              "Field is optional for other business types.");
    case 304:
        return QStringLiteral("The Certification ID Number is found on the certification certificate or ID card of the "
                              "certified applicator or technician filing the report. This field starts with the "
                              "letter 'C', 'T' or 'B', followed by 7 numeric digits, with no spaces or dashes. "
                              "(C0123456)");
    case 305: return QStringLiteral("Commercial Sales Permit Number. This field contains an 'R' followed by 5 digits.");
    case 306:
        return QStringLiteral("The quantity component of the container size. E.g., for a 5 GL container the container "
                              "size quantity would be 5.");
    case 307:
        return QStringLiteral("The unit of measure component of the container size for the containers that were sold. "
                              "E.g., for a 5 GL container the Size Unit would be GL.\r\n"
                              "One or two character unit code from the following list:\r\n"
                              "FL  (Fluid Ounces)\r\nGL (Gallon)\r\nGM (Grams)\r\nKG (Kilograms)\r\nL  (Liters)\r\n"
                              "LB (Pounds)\r\nMG (Milligrams)\r\nML (Milliliters)\r\nOZ (Ounces)\r\nQT (Quart)");
    case 308:
        return QStringLiteral("The number of containers of the product that were sold. (Do not report the number of "
                              "cases and don't include decimals or commas.)");
    case 309:
        return QStringLiteral("A 2 digit code representing the county in which the pesticide was applied. A full list "
                              "of valid codes can be found by viewing the county code table in the online "
                              "documentation. Valid codes include 01 - 62 and 99.");
    case 310:
        return QStringLiteral("Date the pesticide was sold in mm/dd/yyyy format(mm is the 2 digit month, dd is the day "
                              "and yyyy is the 4 digit year)");
    case 311:
        return QStringLiteral("Date the pesticide was used in mm/dd/yy format (mm is the 2 digit month, dd is the day "
                              "and yy is the 2 digit year)");
    case 312:
        return QStringLiteral("Last Date the pesticide was used in mm/dd/yy format (mm is th 2 digit month, dd is the "
                              "day and yy is the 2 digit year).\r\nOnly use for automated applications.");
    case 314:
        return QStringLiteral("The EPA Registration Number can be found on the pesticide product label. The EPA "
                              "Registration Number is separated by dashes (or spaces or slashes) which must be "
                              "included when transmitting this field. Alphabetic characters are not valid (19 "
                              "characters maximum).");
    case 318: return QStringLiteral("First name of the applicator/technician employed by the registered business");
    case 319: return QStringLiteral("Last name of the applicator/technician employed by the registered business");
    case 320:
        return QStringLiteral("The city, town, or village where the pesticide application was made (not the county)");
    case 321: return QStringLiteral("Product name from the product label for the pesticide that was sold or applied");
    case 322:
        return QStringLiteral("Report the UNDILUTED amount of pesticide product used (maximum of 4 digits after the "
                              "decimal, do not include commas).");
    case 323: return QStringLiteral("Report the quantity of pesticide product sold (4 decimal places, no commas).");
    case 325:
        return QStringLiteral("One or two character unit code from the following list:\r\n"
                              "FL (Fluid Ounces)\r\nGL (Gallon)\r\nGM (Grams)\r\nKG (Kilograms)\r\nL  (Liters)\r\n"
                              "LB (Pounds)\r\nMG (Milligrams)\r\nML (Milliliters)\r\nOZ (Ounces)\r\nQT (Quarts)");
    case 326: return QStringLiteral("The five-digit zip code location of the pesticide application");
    case 327:
        return QStringLiteral("Enter the amount of pesticide used for a given application; e.g. 1 fluid ounce/gallon "
                              "(FL/G); 1 gram/12 inches(GM/IN), etc. (This is the premix or final mix dosage rate "
                              "listed on the pesticide label.)");
    case 328: return QStringLiteral("Method used to apply the pesticide (broadcast, hand placement, aerial, etc.)");
    case 329:
        return QStringLiteral("Enter the name of the targeted pest(s). The targeted pest of organism must be listed on "
                              "the pesticide label.");
    case 330:
        return QStringLiteral("Enter location where the pesticide was applied (greens 3 & 7 of golf course; front lawn "
                              "area, restaurant kitchen, etc.)");
    default: return QString();
    }
}

#undef ZOZ_DOWNLOAD_PAGE
#undef ZOZ_INSTALL_PAGE

} // namespace

QString GetMessage(qint32 id) { return text(id); }

QString HelpDesk() { return QStringLiteral(ZOZ_HELP_DESK); }

#undef ZOZ_HELP_DESK

} // namespace ZozedizIZ::modGlobals
