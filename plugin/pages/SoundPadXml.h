#pragma once
// The elements the sound page inserts at run time: the pads and the cloud
// pages. Each starts from its template and takes the names through the XML
// API, so a name holding "&", "<" or quotes stays text: it neither breaks
// the element nor adds an attribute. Pad captions have "&" doubled, since a
// single "&" marks a mnemonic in a caption.
#include <pugixml.hpp>
#include <string>
#include <string_view>

// A pad of a list: an image button with the id and the name.
void MakePlainPad(pugi::xml_document& doc, int id, std::u16string_view name);
// The "+" pad that adds a local MP3 file.
void MakeAddLocalPad(pugi::xml_document& doc);
// A favourite: the button over its hotkey's text (empty without a hotkey).
// The button is the element's child with the id.
void MakeFavouritePad(pugi::xml_document& doc, int id, std::u16string_view name, std::u16string_view hotKeyText);
// A cloud category's tab page holding the scroll view of that name, as the
// XML text the tab control takes.
std::u16string CloudPageXml(std::u16string_view title, std::u16string_view scrollViewName);
