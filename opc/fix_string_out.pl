#!/usr/bin/perl
# widl 7 gives an [out] LPWSTR* parameter (one string returned by the
# callee, e.g. IOPCCommon::GetErrorString) the type offset of the string
# instead of the offset of the reference pointer to it, and the client then
# unmarshals NULL. This points such parameters at their FC_RP entry, as for
# every other [out] pointer-to-pointer parameter.
#   fix_string_out.pl FILE_p.c   (rewritten in place)
use strict;
use warnings;

my $file = shift or die "usage: $0 FILE_p.c\n";
open(my $in, '<', $file) or die "$file: $!\n";
my @lines = <$in>;
close $in;

# Type format entries: "/* N (T *) */" with FC_RP [allocated_on_stack]
# [pointer_deref] and "Offset= 2 (M)", where M holds the string pointer.
my %outer;
for (my $i = 0; $i + 2 < @lines; ++$i) {
  next unless $lines[$i] =~ m{^/\* (\d+) \((.+) \*\) \*/};
  my $n = $1;
  next unless $lines[$i + 1] =~ /0x11, 0x14,/ && $lines[$i + 2] =~ /Offset= 2 \((\d+)\)/;
  my $m = $1;
  $outer{$m} = $n if $m == $n + 4 && ($lines[$i + 3] // '') =~ m{^/\* $m \(} && ($lines[$i + 4] // '') =~ /0x13, 0x8,/;
}

my $fixed = 0;
for (my $i = 1; $i < @lines; ++$i) {
  next unless $lines[$i] =~ /NdrFcShort\(0x[0-9a-f]+\),\s*\/\* type offset = (\d+) \*\//;
  my $m = $1;
  next unless exists $outer{$m};
  # Out-only parameters: their flags line is two lines up.
  my $flags = $lines[$i - 2];
  next unless $flags =~ /flags: .*\bout\b/ && $flags !~ /flags: .*\bin\b/;
  my $n = $outer{$m};
  $lines[$i] =~ s/NdrFcShort\(0x[0-9a-f]+\),(\s*)\/\* type offset = $m \*\//sprintf("NdrFcShort(0x%x),%s\/* type offset = %d *\/", $n, $1, $n)/e;
  ++$fixed;
}

open(my $out, '>', $file) or die "$file: $!\n";
print $out @lines;
close $out;
print "fix_string_out: $fixed parameter(s) in $file\n";
