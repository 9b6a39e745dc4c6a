import "pe"
rule Sample_One : tag1 tag2 {
  meta:
    description = "A \"quoted\" description"
    severity = "high"
  strings:
    $a = "evil\x41" wide nocase
    $b = { 4D 5A ?? 90 [2-4] ( AA | BB ) E8 }
    $c = /cmd\.exe/i
  condition:
    2 of them
}
/* block */ private rule two { strings: $x = "y" condition: $x and $x } // tail
