% s = gmt_text (s)
% The text S as GMT must be given it to show S literally.  GMT reads @
% (font and symbol escapes), a backslash followed by digits (octal
% characters) and a leading ; (a column separator) in the texts of text,
% legend and title files: @ is doubled, the others written as their octal
% codes, which GMT turns back into the plain characters.  Control
% characters would end the record: they become blanks.
function s = gmt_text (s)
  s(s < 32) = ' ';
  s = strrep (s, '\', '\134');
  s = strrep (s, '@', '@@');
  s = strrep (s, ';', '\073');
end
