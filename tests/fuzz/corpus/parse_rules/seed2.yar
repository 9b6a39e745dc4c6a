rule a { strings: $a = "}" }
rule b {